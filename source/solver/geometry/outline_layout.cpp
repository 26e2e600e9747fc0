#include "source/solver/geometry/outline_layout.h"

#include <algorithm>
#include <cmath>

#include "source/solver/geometry/arc_geometry.h"

namespace kelm::solver {
namespace {

// The open edges of the mesh as one path that never runs along the axis: up the z = 0 edge,
// along r = rmax, down the z = zmax edge. Positions on it are measured from (r 0, z 0).
struct EdgePath {
  double rTop = 0, zEnd = 0;

  double length() const { return 2 * rTop + zEnd; }
  double positionOf(OutlinePoint p) const {
    const double toStart = p.z, toTop = rTop - p.r, toEnd = zEnd - p.z;
    if (toStart <= toTop && toStart <= toEnd) return p.r;
    if (toTop <= toEnd) return rTop + std::clamp(p.z, 0.0, zEnd);
    return rTop + zEnd + (rTop - p.r);
  }
  double distanceTo(OutlinePoint p) const { return std::max(0.0, std::min({p.z, rTop - p.r, zEnd - p.z})); }
  OutlinePoint at(double s) const {
    s = std::clamp(s, 0.0, length());
    if (s <= rTop) return {0, s, 0.0};
    if (s <= rTop + zEnd) return {0, rTop, s - rTop};
    return {0, rTop - (s - rTop - zEnd), zEnd};
  }
};

// The points of one electrode's outline, from its first point on.
std::vector<OutlinePoint> tracePoints(const ElectrodeOutline& e, int code, double toCells) {
  std::vector<OutlinePoint> points;
  if (e.segments.empty()) return points;
  points.push_back({code, e.segments.front().from.r * toCells, e.segments.front().from.z * toCells});
  for (const OutlineSegment& seg : e.segments) {
    if (seg.kind == OutlineSegment::Kind::kArc) {
      const ArcSpan span = arcSpan(seg);
      const double radius = seg.radius_mm * toCells;
      const double step = radius > kArcChordToleranceCells ? 2 * std::acos(1 - kArcChordToleranceCells / radius) : 4.0;
      const int pieces = std::max(1, static_cast<int>(std::ceil(std::fabs(span.sweep) / step)));
      for (int k = 1; k < pieces; ++k) {
        const PointMm p = arcPoint(seg, span, static_cast<double>(k) / pieces);
        points.push_back({code, p.r * toCells, p.z * toCells});
      }
    }
    points.push_back({code, seg.to.r * toCells, seg.to.z * toCells});
  }
  return points;
}

// Starts the outline at its point nearest the open edges and returns to it at the end, so the
// joins to the next electrode begin and end there.
std::vector<OutlinePoint> loopFromEdge(std::vector<OutlinePoint> points, bool closed, const EdgePath& edges) {
  if (closed) {
    points.pop_back();  // the closing point repeats the first
    const auto nearest = std::min_element(points.begin(), points.end(), [&](const OutlinePoint& a, const OutlinePoint& b) {
      return edges.distanceTo(a) < edges.distanceTo(b);
    });
    std::rotate(points.begin(), nearest, points.end());
    points.push_back(points.front());
    return points;
  }
  if (edges.distanceTo(points.back()) < edges.distanceTo(points.front())) std::reverse(points.begin(), points.end());
  // An open outline is drawn out and back, the way back on top of the way out.
  for (std::size_t k = points.size() - 1; k-- > 0;) points.push_back(points[k]);
  return points;
}

void appendJoin(const EdgePath& edges, OutlinePoint from, OutlinePoint to, std::vector<OutlinePoint>& out) {
  const double a = edges.positionOf(from), b = edges.positionOf(to);
  auto add = [&](OutlinePoint p) {
    p.code = 0;
    if (out.empty() || out.back().r != p.r || out.back().z != p.z || out.back().code != 0) out.push_back(p);
  };
  add(edges.at(a));
  for (double corner : {edges.rTop, edges.rTop + edges.zEnd})
    if ((a < corner && corner < b) || (b < corner && corner < a)) add(edges.at(corner));
  add(edges.at(b));
}

}  // namespace

bool layOutOutline(const GunDescription& gun, std::vector<OutlinePoint>& points, std::string& error) {
  points.clear();
  const double toCells = gun.mesh.nodesPerMm;
  const EdgePath edges{static_cast<double>(gun.mesh.nr - 1), static_cast<double>(gun.mesh.nz - 1)};
  struct Loop {
    double position;
    std::vector<OutlinePoint> points;
  };
  std::vector<Loop> loops;
  std::size_t total = 0;
  for (std::size_t e = 0; e < gun.electrodes.size(); ++e) {
    const ElectrodeOutline& outline = gun.electrodes[e];
    auto loop = loopFromEdge(tracePoints(outline, static_cast<int>(e) + 1, toCells), outline.closed, edges);
    total += loop.size();
    if (total > static_cast<std::size_t>(kMaxGeomPoints)) break;
    loops.push_back({edges.positionOf(loop.front()), std::move(loop)});
  }
  // Electrodes in their order along the open edges keep the joins short.
  std::stable_sort(loops.begin(), loops.end(), [](const Loop& a, const Loop& b) { return a.position < b.position; });
  for (std::size_t k = 0; k < loops.size() && total <= static_cast<std::size_t>(kMaxGeomPoints); ++k) {
    if (k > 0) appendJoin(edges, loops[k - 1].points.back(), loops[k].points.front(), points);
    points.insert(points.end(), loops[k].points.begin(), loops[k].points.end());
  }
  // The view joins the last point to the first; back along the edges, that line has no length.
  if (points.size() > 1) {
    const OutlinePoint first = points.front();
    appendJoin(edges, points.back(), first, points);
    if (points.back().r != first.r || points.back().z != first.z) points.push_back({0, first.r, first.z});
  }
  if (total > static_cast<std::size_t>(kMaxGeomPoints) || points.size() > static_cast<std::size_t>(kMaxGeomPoints)) {
    error = "outline points: the electrodes need more than " + std::to_string(kMaxGeomPoints) +
            " points, the most geom.dat holds; a coarser cell or fewer arcs need fewer";
    points.clear();
    return false;
  }
  return true;
}

}  // namespace kelm::solver
