#include "source/solver/geometry/mesh_line_crossings.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "source/solver/geometry/arc_geometry.h"

namespace kelm::solver {
namespace {

void addArcPieces(const OutlineSegment& seg, double toCells, OutlinePiece base, std::vector<OutlinePiece>& out) {
  constexpr double quarter = std::numbers::pi / 2;
  const ArcSpan span = arcSpan(seg);
  base.arc = true;
  base.cx = seg.centre.z * toCells;
  base.cy = seg.centre.r * toCells;
  base.radius = seg.radius_mm * toCells;
  const double a0 = span.startAngle, a1 = span.startAngle + span.sweep;
  // Split angles strictly inside the sweep, in the order the arc passes them.
  std::vector<double> cuts;
  const double low = std::min(a0, a1), high = std::max(a0, a1);
  for (int k = static_cast<int>(std::floor(low / quarter)) + 1; k * quarter < high; ++k) cuts.push_back(k * quarter);
  if (span.sweep < 0) std::reverse(cuts.begin(), cuts.end());
  double x = seg.from.z * toCells, y = seg.from.r * toCells, angle = a0;
  for (std::size_t i = 0; i <= cuts.size(); ++i) {
    OutlinePiece p = base;
    p.ax = x;
    p.ay = y;
    const double next = i < cuts.size() ? cuts[i] : a1;
    if (i < cuts.size()) {
      // Exact extreme points, so neighbouring pieces share their ends bit for bit.
      const int q = ((static_cast<int>(std::lround(next / quarter)) % 4) + 4) % 4;
      p.bx = base.cx + (q == 0 ? base.radius : q == 2 ? -base.radius : 0.0);
      p.by = base.cy + (q == 1 ? base.radius : q == 3 ? -base.radius : 0.0);
    } else {
      p.bx = seg.to.z * toCells;
      p.by = seg.to.r * toCells;
    }
    const double mid = 0.5 * (angle + next);
    p.sx = std::cos(mid) >= 0 ? 1.0 : -1.0;
    p.sy = std::sin(mid) >= 0 ? 1.0 : -1.0;
    out.push_back(p);
    x = p.bx;
    y = p.by;
    angle = next;
  }
}

}  // namespace

std::vector<OutlinePiece> outlinePieces(const GunDescription& gun) {
  std::vector<OutlinePiece> pieces;
  const double toCells = gun.mesh.nodesPerMm;
  for (std::size_t e = 0; e < gun.electrodes.size(); ++e) {
    const ElectrodeOutline& outline = gun.electrodes[e];
    OutlinePiece base;
    base.electrode = static_cast<std::int16_t>(e);
    base.closed = outline.closed;
    for (const OutlineSegment& seg : outline.segments) {
      if (seg.kind == OutlineSegment::Kind::kArc) {
        addArcPieces(seg, toCells, base, pieces);
        continue;
      }
      OutlinePiece p = base;
      p.ax = seg.from.z * toCells;
      p.ay = seg.from.r * toCells;
      p.bx = seg.to.z * toCells;
      p.by = seg.to.r * toCells;
      pieces.push_back(p);
    }
  }
  return pieces;
}

void meshLineHits(const std::vector<OutlinePiece>& pieces, bool alongX, double c, std::vector<LineHit>& hits) {
  hits.clear();
  for (const OutlinePiece& p : pieces) {
    // f: the coordinate the mesh line fixes; g: the position along it.
    const double f0 = alongX ? p.ay : p.ax, f1 = alongX ? p.by : p.bx;
    const double g0 = alongX ? p.ax : p.ay, g1 = alongX ? p.bx : p.by;
    if (f0 == f1) {
      if (f0 == c) {
        hits.push_back({g0, p.electrode, false});
        hits.push_back({g1, p.electrode, false});
      }
      continue;
    }
    if (c < std::min(f0, f1) || c > std::max(f0, f1)) continue;
    double g;
    if (p.arc) {
      const double cf = alongX ? p.cy : p.cx, cg = alongX ? p.cx : p.cy, sign = alongX ? p.sx : p.sy;
      const double d = c - cf;
      g = cg + sign * std::sqrt(std::max(0.0, p.radius * p.radius - d * d));
      g = std::clamp(g, std::min(g0, g1), std::max(g0, g1));
    } else {
      g = g0 + (c - f0) / (f1 - f0) * (g1 - g0);
    }
    hits.push_back({g, p.electrode, p.closed && ((f0 <= c) != (f1 <= c))});
  }
  std::sort(hits.begin(), hits.end());
}

}  // namespace kelm::solver
