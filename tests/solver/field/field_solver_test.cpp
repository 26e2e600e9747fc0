// The field solver held to closed-form potentials, and to clear refusals of meshes it cannot
// solve.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "source/solver/field/field_solver.h"
#include "source/solver/physical_constants.h"
#include "tests/solver/field/analytic_mesh.h"

namespace kelm::solver {
namespace {

using testing::QuadricSolid;
using testing::quadricMesh;

constexpr double kMm = 1e-3;
constexpr double kInner = 0.7 * kMm;
constexpr double kOuter = 2.9 * kMm;
constexpr double kV0 = 1000.0;

struct AnalyticCase {
  const char* name;
  // The mesh with `cells` cells across the gap between the two electrodes.
  std::function<ClassifiedMesh(int cells)> mesh;
  std::function<double(double r, double z)> exact_V;
};

// Inner cylinder at V0, outer at 0, open ends: φ = V0 ln(b/r) / ln(b/a).
ClassifiedMesh coaxMesh(int cells) {
  const double h = (kOuter - kInner) / cells;
  const int nr = static_cast<int>(kOuter / h) + 3;
  ClassifiedMesh mesh = quadricMesh(nr, 6, h, {kV0, 0.0},
                                    {{0, 0, 1, 0, kInner, true, 0}, {0, 0, 1, 0, kOuter, false, 1}});
  return mesh;
}

// Spheres about (0, zc): φ = V0 (1/ρ − 1/b) / (1/a − 1/b).
constexpr double kSphereCentre = 3.2 * kMm;
ClassifiedMesh sphereMesh(int cells) {
  const double h = (kOuter - kInner) / cells;
  const int nr = static_cast<int>(kOuter / h) + 3;
  const int nz = static_cast<int>(2 * kSphereCentre / h) + 1;
  return quadricMesh(nr, nz, h, {kV0, 0.0},
                     {{0, kSphereCentre, 1, 1, kInner, true, 0},
                      {0, kSphereCentre, 1, 1, kOuter, false, 1}});
}

const AnalyticCase kAnalyticCases[] = {
    {"CoaxialCylinders", coaxMesh,
     [](double r, double) { return kV0 * std::log(kOuter / r) / std::log(kOuter / kInner); }},
    {"ConcentricSpheres", sphereMesh,
     [](double r, double z) {
       const double rho = std::hypot(r, z - kSphereCentre);
       return kV0 * (1 / rho - 1 / kOuter) / (1 / kInner - 1 / kOuter);
     }},
};

double maxFreeNodeError(const ClassifiedMesh& mesh, const std::vector<double>& phi,
                        const std::function<double(double, double)>& exact) {
  double worst = 0;
  for (int iz = 0; iz < mesh.nz; ++iz)
    for (int ir = 0; ir < mesh.nr; ++ir) {
      const std::size_t node = mesh.node(ir, iz);
      if (mesh.electrodeAt[node] != ClassifiedMesh::kFree) continue;
      worst = std::max(worst, std::abs(phi[node] - exact(ir * mesh.cell_m, iz * mesh.cell_m)));
    }
  return worst;
}

// Second order: the largest error falls about fourfold per halving of the cell (at least
// threefold here, since the crossing fractions change with the mesh), and stays under 0.5 %
// of V0 at 20 cells.
TEST(FieldSolver, AnalyticCasesConvergeAtSecondOrder) {
  for (const AnalyticCase& c : kAnalyticCases) {
    SCOPED_TRACE(c.name);
    double errors[3];
    const int cells[3] = {20, 40, 80};
    for (int k = 0; k < 3; ++k) {
      const ClassifiedMesh mesh = c.mesh(cells[k]);
      FieldSolver solver;
      std::string error;
      ASSERT_TRUE(solver.prepare(mesh, error)) << error;
      std::vector<double> phi;
      solver.solve({}, phi);
      ASSERT_EQ(phi.size(), mesh.nodeCount());
      errors[k] = maxFreeNodeError(mesh, phi, c.exact_V);
    }
    EXPECT_LT(errors[0], 5e-3 * kV0) << errors[0] << " " << errors[1] << " " << errors[2];
    EXPECT_GT(errors[0] / errors[1], 3.0) << errors[0] << " " << errors[1];
    EXPECT_GT(errors[1] / errors[2], 3.0) << errors[1] << " " << errors[2];
  }
}

}  // namespace
}  // namespace kelm::solver
