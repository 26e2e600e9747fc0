#include "source/klplot/figures/beam_figures.h"

#include <cmath>
#include <limits>

#include "source/klplot/project/single_precision.h"

namespace kelm::klplot {
namespace {

// Four times the rms emittance about the origin. The program thread traps invalid and
// division-by-zero, so the undefined cases are tested before the arithmetic, not after.
double emittanceOf(const Crossings& c) {
  if (c.count == 0 || c.totalCurrent == 0.0) return 0.0;
  const Moments m = momentsOf(c);
  const double radicand = m.spp * m.srr - m.srp * m.srp;
  if (!(radicand > 0.0)) return 0.0;
  return quotient(4.0 * std::sqrt(radicand), c.totalCurrent).value_or(0.0);
}

}  // namespace

std::optional<double> quotient(double a, double b) {
  // Dividing by 1 or more cannot overflow; below 1, |b| times the largest double is finite.
  if (std::fabs(b) >= 1.0 || std::fabs(a) <= std::fabs(b) * std::numeric_limits<double>::max()) return a / b;
  return std::nullopt;
}

Moments momentsOf(const Crossings& c) {
  Moments m;
  for (int k = 1; k <= c.count; ++k) m.add(c.current(k), c.radius(k), c.slope(k));
  return m;
}

void clearCrossings(Crossings& out) {
  out.count = 0;
  out.rMax = 0.0f;
  out.totalCurrent = 0.0;
  out.emittance = 0.0;
}

void addCrossing(const ProjectData& data, int i, int k, float phaseZ, Crossings& out) {
  const float z1 = trajectoryZ(data, i, k - 1), z2 = trajectoryZ(data, i, k);
  const float r1 = saturatedSingle(data.trajR(i, k - 1)), r2 = saturatedSingle(data.trajR(i, k));
  const int c = ++out.count;
  // Each step in single precision as the copies are, but formed in double and saturated:
  // that gives the single-precision result exactly, without overflowing at the edges.
  const float dr = saturatedSingle(double(r2) - r1);
  // Both points on the plane: the slope is 0/0, shown as 0.
  out.slope(c) = z2 != z1 ? saturatedSingle(dr / double(saturatedSingle(double(z2) - z1))) : 0.0f;
  if (phaseZ == z1) {
    out.radius(c) = r1;
  } else if (phaseZ == z2) {
    out.radius(c) = r2;
  } else {
    const float along = saturatedSingle(double(saturatedSingle(double(z1) - phaseZ)) /
                                        saturatedSingle(double(z1) - z2));
    out.radius(c) = saturatedSingle(double(saturatedSingle(double(along) * dr)) + r1);
  }
  out.azimuthalSlope(c) = 0.0f;
  out.current(c) = float(data.trajCurrent(i));
  out.trajectory(c) = i;
  out.totalCurrent += data.trajCurrent(i);
  if (out.radius(c) > out.rMax) out.rMax = out.radius(c);
}

void finishCrossings(Crossings& out) { out.emittance = emittanceOf(out); }

void findCrossings(const ProjectData& data, float phaseZ, Crossings& out) {
  clearCrossings(out);
  for (int i = 1; i <= storedTrajectories(data); ++i) {
    const int np = storedPoints(data, i);
    for (int k = 2; k <= np; ++k) {
      if (!segmentMeetsPlane(phaseZ, trajectoryZ(data, i, k - 1), trajectoryZ(data, i, k))) continue;
      addCrossing(data, i, k, phaseZ, out);
      break;
    }
  }
  finishCrossings(out);
}

}  // namespace kelm::klplot
