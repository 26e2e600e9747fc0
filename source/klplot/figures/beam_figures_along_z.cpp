#include "source/klplot/figures/beam_figures_along_z.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <numeric>
#include <span>

#include "source/klplot/figures/crossing_sweep.h"
#include "source/klplot/project/project_readers.h"

namespace kelm::exporting {
namespace {

constexpr double kElectronRestEnergy = 510998.95;  // eV
constexpr double kCoreFraction = 0.9;
constexpr double kMilli = 1000.0;  // rad to mrad
// A determinant within this many roundings of its terms is 0: one crossing, or a laminar beam.
constexpr double kRoundingSlack = 16.0 * std::numeric_limits<double>::epsilon();

// Means weighted by |current|, about the axis (r = 0, r' = 0); pp holds <r'^2> + <(r theta')^2>.
struct Means {
  double rr = 0.0, pp = 0.0, rp = 0.0, r = 0.0, p = 0.0;
  double radial = 0.0;  // <r'^2> alone: the phase plane's (r, r') moments
  // <r^2> slopes - <rr'>^2, 0 where rounding alone keeps it from 0.
  double determinantWith(double slopes) const {
    const double d = rr * slopes - rp * rp;
    return d > kRoundingSlack * rr * slopes ? d : 0.0;
  }
  double determinant() const { return determinantWith(pp); }
};

using Items = std::span<const PlaneCrossing>;

double weightOf(const PlaneCrossing& c) { return std::fabs(c.current); }

// x′² of one plane summed over the ring's azimuths, times 2: r′² + (r θ′)². The rotation adds
// to the divergence of each plane as much as the radial slope does.
double slopeSquared(const PlaneCrossing& c) { return c.slope * c.slope + c.azimuthalSlope * c.azimuthalSlope; }

std::optional<Means> meansOf(Items items, double total) {
  Means sums;
  for (const PlaneCrossing& c : items) {
    const double w = weightOf(c);
    sums.rr += w * c.r * c.r;
    sums.pp += w * slopeSquared(c);
    sums.rp += w * c.r * c.slope;
    sums.r += w * c.r;
    sums.p += w * c.slope;
    sums.radial += w * c.slope * c.slope;
  }
  const auto rr = klplot::quotient(sums.rr, total), pp = klplot::quotient(sums.pp, total),
             rp = klplot::quotient(sums.rp, total), r = klplot::quotient(sums.r, total),
             p = klplot::quotient(sums.p, total), radial = klplot::quotient(sums.radial, total);
  if (!rr || !pp || !rp || !r || !p || !radial) return std::nullopt;
  return Means{*rr, *pp, *rp, *r, *p, *radial};
}

// The invariant of the rms ellipse for each crossing, <r'^2> r^2 - 2 <rr'> r r' + <r^2> r'^2,
// with the crossings ordered from the inside out.
struct Ranking {
  std::vector<std::size_t> order;
  std::vector<double> invariant;  // by crossing
};

Ranking rankOf(Items items, const Means& m) {
  Ranking ranking;
  ranking.invariant.resize(items.size());
  ranking.order.resize(items.size());
  for (std::size_t k = 0; k < items.size(); ++k) {
    const double r = items[k].r, p = items[k].slope;
    const double j = m.pp * r * r - 2.0 * m.rp * r * p + m.rr * slopeSquared(items[k]);
    // Sorting needs an order: a value that is not a number ranks outermost.
    ranking.invariant[k] = std::isnan(j) ? HUGE_VAL : j;
  }
  std::iota(ranking.order.begin(), ranking.order.end(), std::size_t{0});
  std::stable_sort(ranking.order.begin(), ranking.order.end(),
                   [&](std::size_t a, std::size_t b) { return ranking.invariant[a] < ranking.invariant[b]; });
  return ranking;
}

// The rms emittance of the innermost fraction of the current; the last crossing counts with
// the part that completes it.
double coreEmittance(Items items, const Ranking& ranking, double total) {
  const double target = kCoreFraction * total;
  double taken = 0.0;
  Means sums;
  for (std::size_t k : ranking.order) {
    if (taken >= target) break;
    const PlaneCrossing& c = items[k];
    const double w = std::min(weightOf(c), target - taken);
    sums.rr += w * c.r * c.r;
    sums.pp += w * slopeSquared(c);
    sums.rp += w * c.r * c.slope;
    taken += w;
  }
  if (!(taken > 0.0)) return 0.0;
  const Means core{sums.rr / taken, sums.pp / taken, sums.rp / taken, 0.0, 0.0};
  return std::sqrt(core.determinant()) / 2.0 * kMilli;
}

// Area / pi of the smallest ellipse similar to the rms one that holds the fraction of the
// current: J / sqrt(det) for the invariant J of the crossing that completes the fraction.
double fractionalEmittance(Items items, const Ranking& ranking, double total, double fraction,
                           double rootDeterminant) {
  double taken = 0.0;
  for (std::size_t k : ranking.order) {
    taken += weightOf(items[k]);
    if (taken >= fraction * total * (1.0 - 1e-12)) {
      return klplot::quotient(ranking.invariant[k], rootDeterminant).value_or(0.0) * kMilli;
    }
  }
  return 0.0;
}

}  // namespace

CrossingSet crossingSetOf(const klplot::Crossings& c) {
  CrossingSet set;
  set.items.reserve(std::size_t(std::max(c.count, 0)));
  for (int k = 1; k <= c.count; ++k)
    set.items.push_back({c.radius(k), c.slope(k), c.azimuthalSlope(k), c.current(k)});
  set.totalCurrent = c.totalCurrent;
  set.rMax = c.rMax;
  return set;
}

PlaneFigures figuresOf(const klplot::Crossings& c, float z, double field) {
  return figuresOf(crossingSetOf(c), z, field);
}

PlaneFigures figuresOf(const CrossingSet& c, float z, double field) {
  const Items items = c.items;
  PlaneFigures f;
  f.z = z;
  f.crossings = static_cast<int>(std::min<std::size_t>(items.size(), std::numeric_limits<int>::max()));
  f.current = c.totalCurrent;
  f.rMax = c.rMax;
  f.field = field;
  for (const PlaneCrossing& k : items) f.magnitude += weightOf(k);
  if (items.empty() || !(f.magnitude > 0.0)) return f;
  const std::optional<Means> m = meansOf(items, f.magnitude);
  // Currents too small to divide by leave no meaningful shape to the beam.
  if (!m) return f;
  f.shaped = true;
  f.rmsRadius = std::sqrt(std::max(m->rr, 0.0));
  f.centroidR = m->r;
  f.centroidSlope = m->p * kMilli;
  f.divergence = std::sqrt(std::max(m->pp, 0.0) / 2.0) * kMilli;
  const double rootDeterminant = std::sqrt(m->determinant());
  Emittances& e = f.emittance;
  // The (r, r') plane alone, as the phase plane view draws it.
  e.phasePlane = 4.0 * std::sqrt(m->determinantWith(m->radial)) * kMilli;
  e.rms = rootDeterminant / 2.0 * kMilli;
  const Ranking ranking = rankOf(items, *m);
  e.coreRms = coreEmittance(items, ranking, f.magnitude);
  if (rootDeterminant > 0.0) {
    e.ninety = fractionalEmittance(items, ranking, f.magnitude, kCoreFraction, rootDeterminant);
    e.whole = fractionalEmittance(items, ranking, f.magnitude, 1.0, rootDeterminant);
    // Per plane: <x^2> = <r^2>/2 (mm^2), <xx'> = <rr'>/2 and <x'^2> = pp/2 in mrad.
    f.hasTwiss = true;
    f.twiss.beta = m->rr / 2.0 / e.rms;
    f.twiss.alpha = -m->rp / 2.0 * kMilli / e.rms;
    f.twiss.gamma = m->pp / 2.0 * kMilli * kMilli / e.rms;
  }
  return f;
}

PlaneFigures figuresAt(const klplot::ProjectData& data, float z) {
  auto crossings = std::make_unique<klplot::Crossings>();
  klplot::findCrossings(data, z, *crossings);
  return figuresOf(*crossings, z, klplot::fieldAt(z));
}

std::vector<float> planesAlong(double zMin, double zMax, int steps) {
  std::vector<float> planes;
  if (steps < 2) return planes;
  planes.reserve(std::size_t(steps));
  for (int j = 0; j < steps; ++j) {
    const double z = j + 1 == steps ? zMax : zMin + (zMax - zMin) * j / (steps - 1);
    planes.push_back(static_cast<float>(z));
  }
  return planes;
}

std::vector<PlaneFigures> figuresAlong(const klplot::ProjectData& data, const std::vector<float>& planes) {
  std::vector<PlaneFigures> figures(planes.size());
  klplot::sweepCrossings(data, planes, [&](std::size_t j, const klplot::Crossings& c) {
    figures[j] = figuresOf(c, planes[j], klplot::fieldAt(planes[j]));
  });
  return figures;
}

double betaGamma(double electronVolts) {
  // sqrt(gamma^2 - 1) written so that low energies lose no digits.
  const double t = electronVolts / kElectronRestEnergy;
  return std::sqrt(t * (2.0 + t));
}

double largestCurrentOf(const std::vector<PlaneFigures>& planes) {
  double largest = 0.0;
  for (const PlaneFigures& f : planes) largest = std::max(largest, f.magnitude);
  return largest;
}

std::optional<PlaneFigures> waistOf(const std::vector<PlaneFigures>& planes) {
  constexpr double kWaistShare = 0.9;
  const double floor = kWaistShare * largestCurrentOf(planes);
  std::optional<PlaneFigures> waist;
  for (const PlaneFigures& f : planes) {
    if (f.shaped && f.magnitude >= floor && (!waist || f.rmsRadius < waist->rmsRadius)) waist = f;
  }
  return waist;
}

}  // namespace kelm::exporting
