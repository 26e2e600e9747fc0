// Diodes with known space-charge-limited currents, each reference computed here.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "tests/solver/beam/test_gun.h"

namespace kelm::solver {
namespace {

constexpr double kEps0 = 8.8541878128e-12, kE = 1.602176634e-19, kM = 9.1093837015e-31;
const double kChild = 4 * kEps0 / 9 * std::sqrt(2 * kE / kM);

// A flat cathode facing a held plane: the open side wall keeps the flow one-dimensional.
std::string planarDiode(double gap_mm, double cell_mm, double volts) {
  char text[600];
  std::snprintf(text, sizeof text,
                "mesh r %g z %g cell %g\n"
                "edge zmin held 0\nedge zmax held %g\nedge rmax open\n"
                "electrode cathode 0\n from 0 0\n line 0 %g\n line %g %g emitting\n line %g 0\n close\nend\n",
                10 * cell_mm, 10 * cell_mm + gap_mm, cell_mm, volts, 10 * cell_mm, 10 * cell_mm,
                10 * cell_mm, 10 * cell_mm);
  return text;
}

BeamSettings diodeSettings(int trajectories) {
  BeamSettings s;
  s.trajectories = trajectories;
  s.iterations = 60;
  s.relaxation = 0.5;
  s.tolerance = 1e-5;
  s.threads = 2;
  return s;
}

TEST(PlanarDiode, ChildLangmuirCurrentAndPotentialWithinOnePercentAt100Cells) {
  const double gap = 2.0, cell = 0.02, volts = 1000.0;  // 1 kV: relativity below 0.1 %
  testing::TestGun t;
  ASSERT_TRUE(testing::makeTestGun(planarDiode(gap, cell, volts), t));
  BeamResult result;
  std::string error;
  ASSERT_TRUE(solveBeam(t.mesh, t.field, t.cathode, {}, diodeSettings(20), {}, nullptr, result, error)) << error;
  EXPECT_TRUE(result.converged);
  const double area = M_PI * std::pow(10 * cell * 1e-3, 2);
  const double child = kChild * std::pow(volts, 1.5) / std::pow(gap * 1e-3, 2);
  EXPECT_NEAR(result.current_A / area / child, 1.0, 0.01);
  for (const auto& tr : result.trajectories) EXPECT_NEAR(tr.density_A_per_m2 / child, 1.0, 0.01);
  // Node by node across the gap, on and off the axis; relative to the local value beyond the
  // emission layer (three cells), where the Child profile is resolved.
  const int cathodeRow = 10;
  for (int ir = 0; ir < t.mesh.nr; ir += 3)
    for (int k = 1; k <= 100; ++k) {
      const double reference = volts * std::pow(k / 100.0, 4.0 / 3);
      const double phi = result.potential_V[t.mesh.node(ir, cathodeRow + k)];
      ASSERT_NEAR(phi, reference, 0.01 * (k > 3 ? reference : volts)) << "ir " << ir << " k " << k;
    }
}

}  // namespace
}  // namespace kelm::solver
