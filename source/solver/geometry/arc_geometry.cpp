#include "source/solver/geometry/arc_geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kelm::solver {

PointMm arcCentre(PointMm from, PointMm to, double radius, bool ccw) {
  const double dz = to.z - from.z, dr = to.r - from.r;
  const double chord = std::hypot(dz, dr);
  const double offset = std::sqrt(std::max(0.0, radius * radius - 0.25 * chord * chord));
  // The centre of a ccw arc of at most a half circle lies to the left of the chord.
  const double side = ccw ? 1.0 : -1.0;
  const double nz = chord > 0 ? -dr / chord : 0.0, nr = chord > 0 ? dz / chord : 0.0;
  return {0.5 * (from.r + to.r) + side * offset * nr, 0.5 * (from.z + to.z) + side * offset * nz};
}

ArcSpan arcSpan(const OutlineSegment& arc) {
  constexpr double pi = std::numbers::pi;
  ArcSpan s;
  const PointMm c = arc.centre;
  s.startAngle = std::atan2(arc.from.r - c.r, arc.from.z - c.z);
  const double end = std::atan2(arc.to.r - c.r, arc.to.z - c.z);
  double sweep = end - s.startAngle;
  if (arc.ccw) {
    while (sweep <= 0) sweep += 2 * pi;
    if (sweep > pi + 1e-9) sweep -= 2 * pi;  // never: the centre makes it the short way
  } else {
    while (sweep >= 0) sweep -= 2 * pi;
    if (sweep < -pi - 1e-9) sweep += 2 * pi;
  }
  s.sweep = std::clamp(sweep, -pi, pi);
  s.rMin = std::min(arc.from.r, arc.to.r);
  s.rMax = std::max(arc.from.r, arc.to.r);
  s.zMin = std::min(arc.from.z, arc.to.z);
  s.zMax = std::max(arc.from.z, arc.to.z);
  // The extreme points the arc passes: multiples of a quarter turn strictly inside the sweep.
  const double low = std::min(s.startAngle, s.startAngle + s.sweep), high = std::max(s.startAngle, s.startAngle + s.sweep);
  for (int k = static_cast<int>(std::floor(low / (pi / 2))) + 1; k * (pi / 2) < high; ++k) {
    const int quarter = ((k % 4) + 4) % 4;
    const double z = c.z + (quarter == 0 ? arc.radius_mm : quarter == 2 ? -arc.radius_mm : 0.0);
    const double r = c.r + (quarter == 1 ? arc.radius_mm : quarter == 3 ? -arc.radius_mm : 0.0);
    s.rMin = std::min(s.rMin, r);
    s.rMax = std::max(s.rMax, r);
    s.zMin = std::min(s.zMin, z);
    s.zMax = std::max(s.zMax, z);
  }
  return s;
}

PointMm arcPoint(const OutlineSegment& arc, const ArcSpan& span, double t) {
  if (t <= 0.0) return arc.from;
  if (t >= 1.0) return arc.to;
  const double a = span.startAngle + t * span.sweep;
  return {arc.centre.r + arc.radius_mm * std::sin(a), arc.centre.z + arc.radius_mm * std::cos(a)};
}

}  // namespace kelm::solver
