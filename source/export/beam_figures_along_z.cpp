#include "source/export/beam_figures_along_z.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numeric>

#include "source/klplot/crossing_sweep.h"
#include "source/klplot/project_readers.h"

namespace kelm::exporting {
namespace {

constexpr double kElectronRestEnergy = 510998.95;  // eV
constexpr double kInnerFraction = 0.9;

// sqrt(<r^2><r'^2> - <rr'>^2) from current-weighted sums; 0 where rounding makes it negative
// or the current is too small a divisor.
double rmsEmittanceOf(const klplot::Moments& m, double current) {
  const double radicand = m.spp * m.srr - m.srp * m.srp;
  return radicand > 0.0 ? klplot::quotient(std::sqrt(radicand), current).value_or(0.0) : 0.0;
}

// The crossings ranked by the invariant of the rms ellipse, <r'^2> r^2 - 2 <rr'> r r' + <r^2> r'^2
// (sums in place of means: the order is the same), taken from the inside until 90 % of the
// current is in; the last one counts with the part that completes the 90 %.
double innerEmittance(const klplot::Crossings& c, const klplot::Moments& all) {
  static thread_local std::vector<int> order;
  static thread_local std::vector<double> invariant;
  order.resize(std::size_t(c.count));
  invariant.resize(std::size_t(c.count));
  for (int k = 1; k <= c.count; ++k) {
    const double r = c.radius(k), p = c.slope(k);
    const double j = all.spp * r * r - 2.0 * all.srp * r * p + all.srr * p * p;
    // Sorting needs an order: a value that is not a number ranks outermost.
    invariant[std::size_t(k - 1)] = std::isnan(j) ? HUGE_VAL : j;
  }
  std::iota(order.begin(), order.end(), 1);
  std::stable_sort(order.begin(), order.end(), [](int a, int b) {
    return invariant[std::size_t(a - 1)] < invariant[std::size_t(b - 1)];
  });
  const double target = kInnerFraction * c.totalCurrent;
  double taken = 0.0;
  klplot::Moments inner;
  for (int k : order) {
    if (taken >= target) break;
    const double weight = std::min<double>(c.current(k), target - taken);
    inner.add(weight, c.radius(k), c.slope(k));
    taken += weight;
  }
  return taken > 0.0 ? rmsEmittanceOf(inner, taken) / 2.0 : 0.0;
}

}  // namespace

PlaneFigures figuresOf(const klplot::Crossings& c, float z, double field) {
  PlaneFigures f;
  f.z = z;
  f.crossings = c.count;
  f.current = c.totalCurrent;
  f.rMax = c.rMax;
  f.field = field;
  f.emittance.phasePlane = c.emittance;
  f.shaped = c.count > 0 && c.totalCurrent > 0.0;
  if (!f.shaped) return f;
  const klplot::Moments m = klplot::momentsOf(c);
  const std::optional<double> meanSquare = klplot::quotient(m.srr, c.totalCurrent);
  // Currents that almost cancel leave no meaningful shape to the beam.
  f.shaped = meanSquare.has_value();
  if (!f.shaped) return f;
  f.rmsRadius = *meanSquare > 0.0 ? std::sqrt(*meanSquare) : 0.0;
  f.emittance.rms = rmsEmittanceOf(m, c.totalCurrent) / 2.0;
  f.emittance.ninety = innerEmittance(c, m);
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

}  // namespace kelm::exporting
