#pragma once
// Circular arcs of an outline in the (z, r) plane as the Beam view shows it: the angle θ runs
// counter-clockwise from the +z direction, a point is (z, r) = centre + radius·(cos θ, sin θ).

#include "source/solver/geometry/gun_description.h"

namespace kelm::solver {

// The centre of the arc of the given radius from `from` to `to` that turns ccw or cw through
// at most a half circle. The radius is at least half the chord (the caller checks).
PointMm arcCentre(PointMm from, PointMm to, double radius, bool ccw);

struct ArcSpan {
  double startAngle = 0.0;  // radians
  double sweep = 0.0;       // signed: positive ccw, |sweep| <= pi
  double rMin = 0.0, rMax = 0.0, zMin = 0.0, zMax = 0.0;  // bounding box of the arc itself
};

ArcSpan arcSpan(const OutlineSegment& arc);

// The point at fraction t in [0, 1] along the arc.
PointMm arcPoint(const OutlineSegment& arc, const ArcSpan& span, double t);

}  // namespace kelm::solver
