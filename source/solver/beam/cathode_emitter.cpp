#include "source/solver/beam/cathode_emitter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kelm::solver {
namespace {

bool freeNodeNear(const ClassifiedMesh& mesh, double r_m, double z_m) {
  const int ir = static_cast<int>(std::lround(r_m / mesh.cell_m));
  const int iz = static_cast<int>(std::lround(z_m / mesh.cell_m));
  if (ir < 0 || ir >= mesh.nr || iz < 0 || iz >= mesh.nz) return false;
  return mesh.electrodeAt[mesh.node(ir, iz)] == ClassifiedMesh::kFree;
}

}  // namespace

bool cathodeOf(const GunDescription& gun, const ClassifiedMesh& mesh, CathodeShape& cathode,
               std::string& error) {
  const CathodeSurface& c = gun.cathode;
  if (c.shape == CathodeSurface::Shape::kNone || c.electrode < 0 ||
      c.electrode >= static_cast<int>(gun.electrodes.size())) {
    error = "geom.cod marks no segment as emitting";
    return false;
  }
  const ElectrodeOutline& e = gun.electrodes[static_cast<std::size_t>(c.electrode)];
  if (c.segment < 0 || c.segment >= static_cast<int>(e.segments.size())) {
    error = "geom.cod marks no segment as emitting";
    return false;
  }
  const OutlineSegment& s = e.segments[static_cast<std::size_t>(c.segment)];
  cathode = CathodeShape{};
  cathode.potential_V = e.potential_V;
  if (c.shape == CathodeSurface::Shape::kFlat) {
    cathode.z0_m = s.from.z * 1e-3;
    cathode.r0_m = std::min(s.from.r, s.to.r) * 1e-3;
    cathode.r1_m = std::max(s.from.r, s.to.r) * 1e-3;
    // The gap is on the side where the mesh is free, two cells out from the middle.
    const double rMid = (cathode.r0_m + cathode.r1_m) / 2;
    const bool ahead = freeNodeNear(mesh, rMid, cathode.z0_m + 2 * mesh.cell_m);
    const bool behind = freeNodeNear(mesh, rMid, cathode.z0_m - 2 * mesh.cell_m);
    if (ahead == behind) {
      error = "the emitting segment at geom.cod:" + std::to_string(s.line) + " does not face a free gap";
      return false;
    }
    cathode.towardGap = ahead ? 1.0 : -1.0;
  } else {
    cathode.spherical = true;
    cathode.zc_m = s.centre.z * 1e-3;
    cathode.radius_m = s.radius_mm * 1e-3;
    auto polar = [&](const PointMm& p) {
      return std::atan2(p.r * 1e-3, cathode.zc_m - p.z * 1e-3);
    };
    cathode.theta0 = std::min(polar(s.from), polar(s.to));
    cathode.theta1 = std::max(polar(s.from), polar(s.to));
  }
  if (cathode.spherical ? !(cathode.theta1 > cathode.theta0) : !(cathode.r1_m > cathode.r0_m)) {
    error = "the emitting segment at geom.cod:" + std::to_string(s.line) + " has no area";
    return false;
  }
  return true;
}

double surfaceLength(const CathodeShape& c) {
  return c.spherical ? c.radius_m * (c.theta1 - c.theta0) : c.r1_m - c.r0_m;
}

SurfacePoint surfacePoint(const CathodeShape& c, double along_m) {
  const double s = std::clamp(along_m, 0.0, surfaceLength(c));
  SurfacePoint p;
  if (!c.spherical) {
    p.r_m = c.r0_m + s;
    p.z_m = c.z0_m;
    p.nr = 0;
    p.nz = c.towardGap;
    return p;
  }
  const double theta = c.theta0 + s / c.radius_m;
  p.r_m = c.radius_m * std::sin(theta);
  p.z_m = c.zc_m - c.radius_m * std::cos(theta);
  p.nr = -std::sin(theta);
  p.nz = std::cos(theta);
  p.tr = std::cos(theta);
  p.tz = std::sin(theta);
  return p;
}

double surfaceArea(const CathodeShape& c, double from_m, double to_m) {
  constexpr double pi = std::numbers::pi;
  if (!c.spherical) {
    const double a = c.r0_m + from_m, b = c.r0_m + to_m;
    return pi * (b * b - a * a);
  }
  const double a = c.theta0 + from_m / c.radius_m, b = c.theta0 + to_m / c.radius_m;
  return 2 * pi * c.radius_m * c.radius_m * (std::cos(a) - std::cos(b));
}

std::vector<EmissionSite> emissionSites(const CathodeShape& c, int count) {
  std::vector<EmissionSite> sites;
  if (count <= 0) return sites;
  sites.reserve(static_cast<std::size_t>(count));
  // Equal shares of the area: equal steps in r² on the flat cathode, in cos θ on the sphere,
  // each site in the middle of its share by area.
  auto alongAtShare = [&](double fraction) {
    if (!c.spherical) {
      const double a0 = c.r0_m * c.r0_m, a1 = c.r1_m * c.r1_m;
      return std::sqrt(a0 + (a1 - a0) * fraction) - c.r0_m;
    }
    const double c0 = std::cos(c.theta0), c1 = std::cos(c.theta1);
    return c.radius_m * (std::acos(std::clamp(c0 + (c1 - c0) * fraction, -1.0, 1.0)) - c.theta0);
  };
  const double area = surfaceArea(c, 0, surfaceLength(c)) / count;
  for (int k = 0; k < count; ++k) {
    EmissionSite s;
    s.along_m = alongAtShare((k + 0.5) / count);
    s.from_m = alongAtShare(static_cast<double>(k) / count);
    s.to_m = alongAtShare((k + 1.0) / count);
    static_cast<SurfacePoint&>(s) = surfacePoint(c, s.along_m);
    s.area_m2 = area;
    sites.push_back(s);
  }
  return sites;
}

}  // namespace kelm::solver
