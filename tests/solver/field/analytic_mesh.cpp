#include "tests/solver/field/analytic_mesh.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kelm::solver::testing {
namespace {

double level(const QuadricSolid& s, double r, double z) {
  return s.wr * (r - s.rc_m) * (r - s.rc_m) + s.wz * (z - s.zc_m) * (z - s.zc_m) -
         s.radius_m * s.radius_m;
}

bool contains(const QuadricSolid& s, double r, double z) {
  const double v = level(s, r, z);
  return s.solidInside ? v <= 0 : v >= 0;
}

// The first root in (0, 1] of the level along r0 + t·h·dr, z0 + t·h·dz, or infinity.
double crossing(const QuadricSolid& s, double r0, double z0, double h, int dr, int dz) {
  const double a = h * h * (s.wr * dr * dr + s.wz * dz * dz);
  if (a == 0) return std::numeric_limits<double>::infinity();
  const double b = 2 * h * (s.wr * (r0 - s.rc_m) * dr + s.wz * (z0 - s.zc_m) * dz);
  const double c = level(s, r0, z0);
  const double disc = b * b - 4 * a * c;
  if (disc < 0) return std::numeric_limits<double>::infinity();
  double best = std::numeric_limits<double>::infinity();
  for (double sign : {-1.0, 1.0}) {
    const double t = (-b + sign * std::sqrt(disc)) / (2 * a);
    if (t > 0 && t <= 1 && t < best) best = t;
  }
  return best;
}

}  // namespace

ClassifiedMesh quadricMesh(int nr, int nz, double cell_m, const std::vector<double>& potentials_V,
                           const std::vector<QuadricSolid>& solids) {
  static constexpr int kDr[4] = {1, -1, 0, 0};
  static constexpr int kDz[4] = {0, 0, 1, -1};
  ClassifiedMesh mesh;
  mesh.nr = nr;
  mesh.nz = nz;
  mesh.cell_m = cell_m;
  mesh.electrodePotential_V = potentials_V;
  mesh.electrodeAt.assign(mesh.nodeCount(), ClassifiedMesh::kFree);
  mesh.armFraction.assign(mesh.nodeCount(), {1, 1, 1, 1});
  mesh.armElectrode.assign(mesh.nodeCount(), {ClassifiedMesh::kFree, ClassifiedMesh::kFree,
                                              ClassifiedMesh::kFree, ClassifiedMesh::kFree});
  for (int iz = 0; iz < nz; ++iz)
    for (int ir = 0; ir < nr; ++ir) {
      const std::size_t node = mesh.node(ir, iz);
      const double r = ir * cell_m, z = iz * cell_m;
      for (const QuadricSolid& s : solids)
        if (contains(s, r, z)) {
          mesh.electrodeAt[node] = static_cast<std::int16_t>(s.electrode);
          break;
        }
      if (mesh.electrodeAt[node] != ClassifiedMesh::kFree) continue;
      for (std::size_t arm = 0; arm < 4; ++arm) {
        double best = std::numeric_limits<double>::infinity();
        for (const QuadricSolid& s : solids) {
          const double t = crossing(s, r, z, cell_m, kDr[arm], kDz[arm]);
          if (t < best) {
            best = t;
            mesh.armElectrode[node][arm] = static_cast<std::int16_t>(s.electrode);
          }
        }
        if (std::isfinite(best)) mesh.armFraction[node][arm] = static_cast<float>(best);
      }
    }
  return mesh;
}

std::vector<double> nodeValues(const ClassifiedMesh& mesh, const std::function<double(double r_m, double z_m)>& f) {
  std::vector<double> values(mesh.nodeCount());
  for (int iz = 0; iz < mesh.nz; ++iz)
    for (int ir = 0; ir < mesh.nr; ++ir) values[mesh.node(ir, iz)] = f(ir * mesh.cell_m, iz * mesh.cell_m);
  return values;
}

ClassifiedMesh ConcentricSpheres::mesh(int nr, int nz, double cell_m) const {
  return quadricMesh(nr, nz, cell_m, {inner_V, 0.0},
                     {{0, centre_m, 1, 1, inner_m, true, 0}, {0, centre_m, 1, 1, outer_m, false, 1}});
}

double ConcentricSpheres::potential(double r_m, double z_m) const {
  const double rho = std::clamp(std::hypot(r_m, z_m - centre_m), inner_m, outer_m);
  return inner_V * (1 / rho - 1 / outer_m) / (1 / inner_m - 1 / outer_m);
}

double ConcentricSpheres::field(double rho_m) const { return inner_V / (rho_m * rho_m * (1 / inner_m - 1 / outer_m)); }

}  // namespace kelm::solver::testing
