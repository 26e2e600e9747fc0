// The field the tracer sees, against closed forms sampled on meshes of three sizes: second
// order three cells or more from the electrodes, first order nearer, and
// continuous across every cell edge; and trajectories that stay in order through a laminar gun.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <iostream>

#include "source/solver/beam/trajectory_tracer.h"
#include "tests/solver/beam/test_gun.h"
#include "tests/solver/field/analytic_mesh.h"

namespace kelm::solver {
namespace {

constexpr double kMm = 1e-3, kV0 = 1000.0, kInner = 1.1 * kMm, kOuter = 2.9 * kMm, kCentre = 3.2 * kMm;

struct Sampled {
  ClassifiedMesh mesh;
  std::vector<double> phi;
};

// Concentric spheres about (0, zc) at V0 and 0: φ = V0 (1/ρ − 1/b) / (1/a − 1/b), E = φ'·ρ̂.
double sphereE(double rho) { return kV0 / (rho * rho * (1 / kInner - 1 / kOuter)); }

Sampled spheres(int cells) {
  const double h = (kOuter - kInner) / cells;
  Sampled s{testing::quadricMesh(static_cast<int>(kOuter / h) + 3, static_cast<int>(2 * kCentre / h) + 1, h, {kV0, 0.0},
                                 {{0, kCentre, 1, 1, kInner, true, 0}, {0, kCentre, 1, 1, kOuter, false, 1}}),
            {}};
  s.mesh.rMaxEdge.held = s.mesh.zMinEdge.held = s.mesh.zMaxEdge.held = true;
  for (int iz = 0; iz < s.mesh.nz; ++iz)
    for (int ir = 0; ir < s.mesh.nr; ++ir) {
      const std::size_t n = s.mesh.node(ir, iz);
      const double rho = std::hypot(ir * h, iz * h - kCentre);
      s.phi.push_back(s.mesh.electrodeAt[n] != ClassifiedMesh::kFree
                          ? s.mesh.electrodePotential_V[static_cast<std::size_t>(s.mesh.electrodeAt[n])]
                          : kV0 * (1 / rho - 1 / kOuter) / (1 / kInner - 1 / kOuter));
    }
  return s;
}

struct Errors {
  double bulk = 0, cut = 0;  // largest |E − E_exact| / E(a), three cells or more from the
                             // spheres and nearer (where the slopes come through the arms)
  double jump = 0;           // largest change of E across a cell edge, relative to E(a)
};

// On a fixed set of points in the gap (a mesh-independent lattice) and across cell edges.
Errors errorsOf(const Sampled& s) {
  const PotentialField field(s.mesh, s.phi);
  const double h = s.mesh.cell_m, scale = sphereE(kInner);
  Errors e;
  for (double r = 0.013 * kMm; r < kOuter; r += 0.0731 * kMm)
    for (double z = kCentre - kOuter; z < kCentre + kOuter; z += 0.0677 * kMm) {
      const double rho = std::hypot(r, z - kCentre);
      if (rho < kInner || rho > kOuter) continue;
      const FieldPoint f = field.at(r, z);
      const double err = std::hypot(f.er_V_per_m - sphereE(rho) * r / rho, f.ez_V_per_m - sphereE(rho) * (z - kCentre) / rho) / scale;
      double& worst = rho > 1.5 * kMm && rho < 2.5 * kMm ? e.bulk : e.cut;
      worst = std::max(worst, err);
      // The nearest cell edges in r and in z, approached from both sides.
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
    e[k] = errorsOf(spheres(cells[k]));
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
    const AxialMagneticField none;
    std::vector<Trace> traces;
    for (int k = 0; k < 40; ++k) {
      ParticleStart start;
      start.r_m = (0.05 + 0.0625 * k) * kMm;
      start.z_m = 5.3 * kMm;
      start.uz = 1e-3;
      traces.push_back(traceParticle(field, none, start, TraceSettings{}));
    }
    for (double z = 6 * kMm; z < 20 * kMm; z += 0.25 * kMm) {
      double last = -1;
      for (int k = 0; k < 40; ++k) {
        const auto& p = traces[static_cast<std::size_t>(k)].points;
        auto after = std::find_if(p.begin(), p.end(), [z](const TracePoint& q) { return q.z_m >= z; });
        ASSERT_TRUE(after != p.begin() && after != p.end()) << k;
        const TracePoint& a = *(after - 1);
        const double r = a.r_m + (after->r_m - a.r_m) * (z - a.z_m) / (after->z_m - a.z_m);
        ASSERT_GT(r, last) << "trajectory " << k << " at z " << z / kMm << " mm";
        last = r;
      }
    }
  }
}

}  // namespace
}  // namespace kelm::solver
