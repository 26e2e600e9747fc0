#include "source/klplot/beam_figures.h"

#include <cmath>

namespace kelm::klplot {
namespace {

// Four times the rms emittance about the origin. The program thread traps invalid and
// division-by-zero, so the undefined cases are tested before the arithmetic, not after.
double emittanceOf(const Crossings& c) {
  if (c.count == 0 || c.totalCurrent == 0.0) return 0.0;
  const Moments m = momentsOf(c);
  const double radicand = m.spp * m.srr - m.srp * m.srp;
  if (!(radicand > 0.0)) return 0.0;
  return 4.0 * std::sqrt(radicand) / c.totalCurrent;
}

}  // namespace

Moments momentsOf(const Crossings& c) {
  Moments m;
  for (int k = 1; k <= c.count; ++k) {
    const double i = c.current(k), r = c.radius(k), p = c.slope(k);
    m.srr += i * r * r;
    m.spp += i * p * p;
    m.srp += i * r * p;
  }
  return m;
}

void clearCrossings(Crossings& out) {
  out.count = 0;
  out.rMax = 0.0f;
  out.totalCurrent = 0.0;
  out.emittance = 0.0;
}

void addCrossing(const ProjectData& data, int i, int k, float phaseZ, Crossings& out) {
  const float z1 = float(data.trajZ(i, k - 1)), z2 = float(data.trajZ(i, k));
  const float r1 = float(data.trajR(i, k - 1)), r2 = float(data.trajR(i, k));
  const int c = ++out.count;
  // Both points on the plane: the slope is 0/0, shown as 0.
  out.slope(c) = z2 != z1 ? (r2 - r1) / (z2 - z1) : 0.0f;
  if (phaseZ == z1) out.radius(c) = r1;
  else if (phaseZ == z2) out.radius(c) = r2;
  else out.radius(c) = (z1 - phaseZ) / (z1 - z2) * (r2 - r1) + r1;
  out.current(c) = float(data.trajCurrent(i));
  out.trajectory(c) = i;
  out.totalCurrent += data.trajCurrent(i);
  if (out.radius(c) > out.rMax) out.rMax = out.radius(c);
}

void finishCrossings(Crossings& out) { out.emittance = emittanceOf(out); }

void findCrossings(const ProjectData& data, float phaseZ, Crossings& out) {
  clearCrossings(out);
  const int trajectories = data.trajCount < kMaxTrajectories ? data.trajCount : kMaxTrajectories;
  for (int i = 1; i <= trajectories; ++i) {
    int np = data.trajNext(i) - 1;
    if (np > kMaxTrajPoints) np = kMaxTrajPoints;
    for (int k = 2; k <= np; ++k) {
      if (!segmentMeetsPlane(phaseZ, float(data.trajZ(i, k - 1)), float(data.trajZ(i, k)))) continue;
      addCrossing(data, i, k, phaseZ, out);
      break;
    }
  }
  finishCrossings(out);
}

}  // namespace kelm::klplot
