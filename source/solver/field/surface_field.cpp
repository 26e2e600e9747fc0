#include "source/solver/field/surface_field.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "source/solver/geometry/arc_geometry.h"

namespace kelm::solver {
namespace {

constexpr double kMinCosine = 0.5;

// Where a surface point lies on an outline: the distance to it, the arc length and the normal.
struct OnOutline {
  double distance_mm = INFINITY;
  double arc_mm = 0;
  double nz = 0, nr = 0;
};

void nearestOnLine(const OutlineSegment& s, double z, double r, double offset_mm, OnOutline& best) {
  const double dz = s.to.z - s.from.z, dr = s.to.r - s.from.r, length = std::hypot(dz, dr);
  if (!(length > 0)) return;
  const double t = std::clamp(((z - s.from.z) * dz + (r - s.from.r) * dr) / (length * length), 0.0, 1.0);
  const double d = std::hypot(z - s.from.z - t * dz, r - s.from.r - t * dr);
  if (d < best.distance_mm) best = {d, offset_mm + t * length, -dr / length, dz / length};
}

void nearestOnArc(const OutlineSegment& s, double z, double r, double offset_mm, OnOutline& best) {
  const ArcSpan span = arcSpan(s);
  const double R = s.radius_mm, pz = z - s.centre.z, pr = r - s.centre.r, rho = std::hypot(pz, pr);
  if (!(R > 0) || !(rho > 0)) return;
  constexpr double turn = 2 * std::numbers::pi;
  double delta = std::fmod(std::atan2(pr, pz) - span.startAngle, turn);
  if (span.sweep >= 0) delta = delta < 0 ? delta + turn : delta;
  else delta = delta > 0 ? delta - turn : delta;
  if (std::abs(delta) > std::abs(span.sweep)) {
    // Beyond the arc's ends: the nearer end, with the normal the arc has there.
    const bool atEnd = std::hypot(z - s.to.z, r - s.to.r) < std::hypot(z - s.from.z, r - s.from.r);
    delta = atEnd ? span.sweep : 0.0;
  }
  const double angle = span.startAngle + delta, cz = std::cos(angle), cr = std::sin(angle);
  const double d = std::hypot(pz - R * cz, pr - R * cr);
  if (d < best.distance_mm) best = {d, offset_mm + R * std::abs(delta), cz, cr};
}

OnOutline nearestOn(const ElectrodeOutline& outline, double z_mm, double r_mm) {
  OnOutline best;
  double offset = 0;
  for (const OutlineSegment& s : outline.segments) {
    // A line along the axis closes a solid of revolution; it is no surface.
    const bool onAxis = s.kind == OutlineSegment::Kind::kLine && s.from.r == 0 && s.to.r == 0;
    if (onAxis) continue;
    if (s.kind == OutlineSegment::Kind::kArc) {
      nearestOnArc(s, z_mm, r_mm, offset, best);
      offset += s.radius_mm * std::abs(arcSpan(s).sweep);
    } else {
      nearestOnLine(s, z_mm, r_mm, offset, best);
      offset += std::hypot(s.to.z - s.from.z, s.to.r - s.from.r);
    }
  }
  return best;
}

// The potential along the arm's line away from the surface: the node, then up to two more
// behind it, stopping at an open edge or at another surface (whose value then ends the walk).
struct LinePoint {
  double x_m, value_V;
};

int walkBack(const ClassifiedMesh& mesh, std::span<const double> potential, int ir, int iz, int arm, double a_m,
             double surface_V, LinePoint* points) {
  static constexpr int kOpposite[4] = {kRMinus, kRPlus, kZMinus, kZPlus};
  static constexpr int kDr[4] = {1, -1, 0, 0}, kDz[4] = {0, 0, 1, -1};
  const int back = kOpposite[arm];
  int count = 0;
  points[count++] = {0, surface_V};
  points[count++] = {a_m, potential[mesh.node(ir, iz)]};
  for (int step = 0; step < 2; ++step) {
    const int jr = ir + kDr[back], jz = iz + kDz[back];
    if (jr < 0) {  // the axis: the potential is even in r, so the surface's mirror lies behind
      if (step == 0) points[count++] = {2 * a_m, surface_V};
      break;
    }
    if (jr >= mesh.nr || jz < 0 || jz >= mesh.nz) break;
    const std::size_t node = mesh.node(ir, iz);
    const double x = points[count - 1].x_m;
    const std::int16_t e = mesh.armElectrode[node][static_cast<std::size_t>(back)];
    if (e != ClassifiedMesh::kFree) {
      points[count++] = {x + mesh.armFraction[node][static_cast<std::size_t>(back)] * mesh.cell_m,
                         mesh.electrodePotential_V[static_cast<std::size_t>(e)]};
      break;
    }
    ir = jr;
    iz = jz;
    points[count++] = {x + mesh.cell_m, potential[mesh.node(ir, iz)]};
  }
  return count;
}

// The slope at the surface of the parabola through it and two points behind. The node nearest
// the surface would divide its own error by its distance, under a cell, so the two behind it
// are taken where they exist: that halves the error on a curved surface.
double surfaceSlope(const LinePoint* p, int count, double cell_m) {
  if (count < 3) return (p[1].value_V - p[0].value_V) / p[1].x_m;
  int i = 1;
  if (p[1].x_m < cell_m && count > 3) i = 2;
  const double x1 = p[i].x_m, x2 = p[i + 1].x_m;
  return -p[0].value_V * (x1 + x2) / (x1 * x2) - p[i].value_V * x2 / (x1 * (x1 - x2)) -
         p[i + 1].value_V * x1 / (x2 * (x2 - x1));
}

}  // namespace

SurfaceField surfaceField(const GunDescription& gun, const ClassifiedMesh& mesh, std::span<const double> potential) {
  SurfaceField out;
  out.electrodes.resize(gun.electrodes.size());
  if (potential.size() != mesh.nodeCount() || mesh.electrodeAt.size() != mesh.nodeCount()) return out;
  static constexpr double kDr[4] = {1, -1, 0, 0}, kDz[4] = {0, 0, 1, -1};
  const double h = mesh.cell_m;
  for (int iz = 0; iz < mesh.nz; ++iz)
    for (int ir = 0; ir < mesh.nr; ++ir) {
      const std::size_t node = mesh.node(ir, iz);
      if (mesh.electrodeAt[node] != ClassifiedMesh::kFree) continue;
      for (int arm = 0; arm < 4; ++arm) {
        const std::int16_t e = mesh.armElectrode[node][static_cast<std::size_t>(arm)];
        const int jr = ir + static_cast<int>(kDr[arm]), jz = iz + static_cast<int>(kDz[arm]);
        if (e == ClassifiedMesh::kFree || static_cast<std::size_t>(e) >= gun.electrodes.size() || jr < 0 ||
            jr >= mesh.nr || jz < 0 || jz >= mesh.nz)
          continue;
        const double a = mesh.armFraction[node][static_cast<std::size_t>(arm)] * h;
        const double z_m = iz * h + kDz[arm] * a, r_m = ir * h + kDr[arm] * a;
        const ElectrodeOutline& outline = gun.electrodes[static_cast<std::size_t>(e)];
        const OnOutline on = nearestOn(outline, z_m * 1e3, r_m * 1e3);
        const double cosine = std::abs(on.nz * kDz[arm] + on.nr * kDr[arm]);
        if (!(cosine >= kMinCosine)) continue;
        LinePoint line[4];
        const int count = walkBack(mesh, potential, ir, iz, arm, a, outline.potential_V, line);
        out.samples.push_back({e, on.arc_mm * 1e-3, z_m, r_m, std::abs(surfaceSlope(line, count, h)) / cosine});
      }
    }
  std::sort(out.samples.begin(), out.samples.end(), [](const SurfaceSample& x, const SurfaceSample& y) {
    return x.electrode != y.electrode ? x.electrode < y.electrode : x.arc_m < y.arc_m;
  });
  double strongest = -1;
  for (const SurfaceSample& s : out.samples) {
    SurfaceMaximum& m = out.electrodes[static_cast<std::size_t>(s.electrode)];
    if (!m.sampled || s.field_V_per_m > m.field_V_per_m) m = {true, s.field_V_per_m, s.z_m, s.r_m};
    if (s.field_V_per_m > strongest) {
      strongest = s.field_V_per_m;
      out.strongest = s.electrode;
    }
  }
  return out;
}

}  // namespace kelm::solver
