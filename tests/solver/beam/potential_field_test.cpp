// The field the tracer sees, against closed forms sampled on meshes of three sizes: second
// order three cells or more from the electrodes, first order nearer, and
// continuous across every cell edge; and trajectories that stay in order through a laminar gun.
#include <gtest/gtest.h>

#include <cmath>
#include <iostream>

#include "source/solver/beam/trajectory_tracer.h"
#include "tests/solver/beam/test_gun.h"
#include "tests/solver/field/analytic_mesh.h"

namespace kelm::solver {
namespace {

constexpr double kMm = 1e-3, kInner = 1.1 * kMm, kOuter = 2.9 * kMm, kCentre = 3.2 * kMm;
constexpr testing::ConcentricSpheres kSpheres{kInner, kOuter, kCentre, 1000.0};

struct Errors {
  double bulk = 0, cut = 0;  // largest |E − E_exact| / E(a), three cells or more from the
                             // spheres and nearer (where the slopes come through the arms)
  double jump = 0;           // largest change of E across a cell edge, relative to E(a)
};

// The closed form sampled on a mesh of `cells` across the gap, its field compared on a
// mesh-independent lattice of points and across the nearest cell edges.
Errors sphereErrors(int cells) {
  const double h = (kOuter - kInner) / cells, scale = kSpheres.field(kInner);
  ClassifiedMesh mesh = kSpheres.mesh(static_cast<int>(kOuter / h) + 3, static_cast<int>(2 * kCentre / h) + 1, h);
  mesh.rMaxEdge.held = mesh.zMinEdge.held = mesh.zMaxEdge.held = true;
  // The closed form on the free nodes, the electrodes' potentials on theirs.
  const std::vector<double> phi = testing::nodeValues(mesh, [](double r, double z) { return kSpheres.potential(r, z); });
  const PotentialField field(mesh, phi);
  Errors e;
  for (double r = 0.013 * kMm; r < kOuter; r += 0.0731 * kMm)
    for (double z = kCentre - kOuter; z < kCentre + kOuter; z += 0.0677 * kMm) {
      const double rho = std::hypot(r, z - kCentre);
      if (rho < kInner || rho > kOuter) continue;
      const FieldPoint f = field.at(r, z);
      const double exact = kSpheres.field(rho);
      double& worst = rho > 1.5 * kMm && rho < 2.5 * kMm ? e.bulk : e.cut;
      worst = std::max(worst, std::hypot(f.er_V_per_m - exact * r / rho, f.ez_V_per_m - exact * (z - kCentre) / rho) / scale);
      const double re = std::round(r / h) * h, ze = std::round(z / h) * h, eps = 1e-9 * h;
      for (const auto& [a, b] : {std::pair{field.at(re - eps, z), field.at(re + eps, z)}, std::pair{field.at(r, ze - eps), field.at(r, ze + eps)}})
        e.jump = std::max(e.jump, std::hypot(a.er_V_per_m - b.er_V_per_m, a.ez_V_per_m - b.ez_V_per_m) / scale);
    }
  return e;
}

TEST(PotentialField, SpheresFieldConvergesAtSecondOrderAwayFromTheSurfacesAndIsContinuousAcrossCellEdges) {
  const int cells[3] = {12, 24, 48};
  Errors e[3];
  for (int k = 0; k < 3; ++k) {
    e[k] = sphereErrors(cells[k]);
    std::cout << cells[k] << " cells across the gap: |ΔE|/E(a) " << e[k].bulk << " in the bulk, " << e[k].cut
              << " near the spheres, " << e[k].jump << " across cell edges\n";
    EXPECT_LT(e[k].jump, 1e-6);
  }
  EXPECT_LT(e[0].bulk, 5e-3);
  EXPECT_GT(e[0].bulk / e[1].bulk, 3.4);  // order above 1.75
  EXPECT_GT(e[1].bulk / e[2].bulk, 3.4);
  EXPECT_LT(e[2].cut, 1e-2);
  EXPECT_GT(e[0].cut / e[2].cut, 3.0);    // first order at least, over two halvings
}

// The example gun's vacuum field is laminar from the cathode to well before the focus, where
// aberration crosses the outer rays: forty electrons from the inner 2.5 mm of the face, closer
// than a cell and further apart, keep their order in r at every plane there.
TEST(PotentialField, LaminarTrajectoriesStayInOrderOnMeshesOfTwoSizes) {
  for (const char* cell : {"0.5", "0.25"}) {
    SCOPED_TRACE(cell);
    std::string text = testing::kExampleGun;
    text.replace(text.find("cell 0.5"), 8, std::string("cell ") + cell);
    testing::TestGun t;
    ASSERT_TRUE(testing::makeTestGun(text, t));
    std::vector<double> phi;
    t.field.solve({}, phi);
    const PotentialField field(t.mesh, phi);
    std::vector<Trace> traces;
    for (int k = 0; k < 40; ++k)
      traces.push_back(traceParticle(field, {}, ParticleStart{(0.05 + 0.0625 * k) * kMm, 5.3 * kMm, 0, 1e-3}, TraceSettings{}));
    for (double z = 6 * kMm; z < 20 * kMm; z += 0.25 * kMm)
      for (int k = 1; k < 40; ++k)
        ASSERT_GT(testing::radiusAt(traces[static_cast<std::size_t>(k)], z), testing::radiusAt(traces[static_cast<std::size_t>(k - 1)], z))
            << "trajectory " << k << " at z " << z / kMm << " mm";
  }
}

}  // namespace
}  // namespace kelm::solver
