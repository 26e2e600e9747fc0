#pragma once
// The emitting surface and where the trajectories leave it: equal shares of its area, each
// with the point at the middle of its share and the normal into the gap (docs/method.md,
// "Emission").

#include <string>
#include <vector>

#include "source/solver/geometry/gun_description.h"
#include "source/solver/mesh.h"

namespace kelm::solver {

// A flat annulus at z = z0 between radii r0 and r1, or a spherical zone of radius R about
// (0, zc) between polar angles theta0 and theta1 measured from the −z direction.
struct CathodeShape {
  bool spherical = false;
  double z0_m = 0, r0_m = 0, r1_m = 0;                // flat
  double zc_m = 0, radius_m = 0, theta0 = 0, theta1 = 0;  // spherical
  double towardGap = 1;  // flat only: +1 when the gap lies at larger z
  double potential_V = 0;
};

// A point of the surface, with its unit normal into the gap and its unit tangent toward
// larger distances along the surface.
struct SurfacePoint {
  double r_m = 0, z_m = 0;
  double nr = 0, nz = 1;
  double tr = 1, tz = 0;
};

// On the cathode.
struct EmissionSite : SurfacePoint {
  double along_m = 0;         // distance along the surface from its start
  double from_m = 0, to_m = 0;  // the ends of its share along the surface
  double area_m2 = 0;         // the share of the surface this trajectory stands for
};

// The cathode of a described gun on its mesh. False, with the reason, when there is none.
bool cathodeOf(const GunDescription& gun, const ClassifiedMesh& mesh, CathodeShape& cathode,
               std::string& error);

// The surface's length in the (r, z) plane, and its point at a distance along it (clamped).
double surfaceLength(const CathodeShape& cathode);
SurfacePoint surfacePoint(const CathodeShape& cathode, double along_m);
// The area of the ring between two distances along the surface.
double surfaceArea(const CathodeShape& cathode, double from_m, double to_m);

std::vector<EmissionSite> emissionSites(const CathodeShape& cathode, int count);

}  // namespace kelm::solver
