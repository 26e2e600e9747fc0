#include "source/klplot/beam_figures.h"

#include <cmath>

#include "source/klplot/single_precision.h"

namespace kelm::klplot {
namespace {

// Four times the rms emittance about the origin. The program thread traps invalid and
// division-by-zero, so the undefined cases are tested before the arithmetic, not after.
double emittanceOf(const Crossings& c) {
  if (c.count == 0 || c.totalCurrent == 0.0) return 0.0;
  double srr = 0.0, spp = 0.0, srp = 0.0;
  for (int k = 1; k <= c.count; ++k) {
    const double i = c.current(k), r = c.radius(k), p = c.slope(k);
    srr += i * r * r;
    spp += i * p * p;
    srp += i * r * p;
  }
  const double radicand = spp * srr - srp * srp;
  if (!(radicand > 0.0)) return 0.0;
  return 4.0 * std::sqrt(radicand) / c.totalCurrent;
}

}  // namespace

void findCrossings(const ProjectData& data, float phaseZ, Crossings& out) {
  out.count = 0;
  out.rMax = 0.0f;
  out.totalCurrent = 0.0;
  const int trajectories = data.trajCount < kMaxTrajectories ? data.trajCount : kMaxTrajectories;
  for (int i = 1; i <= trajectories; ++i) {
    int np = data.trajNext(i) - 1;
    if (np > kMaxTrajPoints) np = kMaxTrajPoints;
    for (int k = 2; k <= np; ++k) {
      const float z1 = saturatedSingle(data.trajZ(i, k - 1)), z2 = saturatedSingle(data.trajZ(i, k));
      // In double: the single-precision product overflows for z far from the plane.
      if ((double(phaseZ) - z1) * (double(phaseZ) - z2) > 0.0) continue;
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
      out.current(c) = float(data.trajCurrent(i));
      out.totalCurrent += data.trajCurrent(i);
      if (out.radius(c) > out.rMax) out.rMax = out.radius(c);
      break;
    }
  }
  out.emittance = emittanceOf(out);
}

}  // namespace kelm::klplot
