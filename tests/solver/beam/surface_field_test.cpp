// |E| on electrode surfaces against closed forms computed here, each on two mesh sizes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>

#include "source/solver/field/surface_field.h"
#include "tests/solver/beam/planar_diode.h"
#include "tests/solver/beam/test_gun.h"
#include "tests/solver/field/analytic_mesh.h"

namespace kelm::solver {
namespace {

// geom.cod with the cell as %g: a 1.3 mm rod at 1 kV inside the edge r = 6 mm held at 0;
// spheres of radius 2 (1 kV) inside radius 5 (0 V) about z = 6 mm; a block's square corner at
// r = 2, z = 3 mm facing a plane held 5 mm above it.
constexpr const char* kCoaxial = "mesh r 6 z 2 cell %g\nedge rmax held 0\nedge zmin open\nedge zmax open\n"
                                 "electrode rod 1000\n from 0 0\n line 1.3 0\n line 1.3 2\n line 0 2\n close\nend\n";
constexpr const char* kSphereShells =
    "mesh r 6 z 12 cell %g\nedge rmax open\nedge zmin open\nedge zmax open\n"
    "electrode inner 1000\n from 0 4\n arc 2 6 radius 2 cw\n arc 0 8 radius 2 cw\n close\nend\n"
    "electrode outer 0\n from 0 1\n arc 5 6 radius 5 cw\n arc 0 11 radius 5 cw\n line 0 12\n line 6 12\n"
    " line 6 0\n line 0 0\n close\nend\n";
constexpr const char* kCorner = "mesh r 6 z 8 cell %g\nedge zmin held 0\nedge zmax held 1000\nedge rmax open\n"
                                "electrode block 0\n from 0 0\n line 2 0\n line 2 3\n line 0 3\n close\nend\n";
constexpr double kVolts = 1000, kGap_mm = 10, kDiodeRadius_mm = 6;

struct SurfaceCase {
  const char* name;
  const char* geometry;  // nullptr: Child's planar diode, solved with its beam
  double coarse_mm, fine_mm;
  int electrode;
  // The closed form at a sample, or NaN where it does not hold; empty: the corner's row.
  std::function<double(const SurfaceSample&)> reference;
  double tolerance;  // relative; for the corner, the least growth of the maximum from coarse to fine
};

double sphereField(double radius_mm, const SurfaceSample& s) {
  const double rho = radius_mm * 1e-3;
  const testing::ConcentricSpheres shells{2e-3, 5e-3, 6e-3, kVolts};
  return std::abs(std::hypot(s.z_m - 6e-3, s.r_m) - rho) < 1e-6 ? shells.field(rho) : NAN;
}

const SurfaceCase kSurfaceCases[] = {
    {"CoaxialRodOnePercent", kCoaxial, 0.1, 0.05, 0,
     [](const SurfaceSample&) { return kVolts / (1.3e-3 * std::log(6 / 1.3)); }, 0.01},
    {"InnerSphereOnePercent", kSphereShells, 0.1, 0.05, 0, [](const SurfaceSample& s) { return sphereField(2, s); }, 0.01},
    {"OuterSphereOnePercent", kSphereShells, 0.1, 0.05, 1, [](const SurfaceSample& s) { return sphereField(5, s); }, 0.01},
    // Child's V·(x/d)^(4/3) has 4/3·V/d at the anode; at 1 kV relativity moves it by 0.1 %.
    {"ChildDiodeAnodeOnePercent", nullptr, 0.25, 0.125, 1,
     [](const SurfaceSample& s) { return s.r_m < kDiodeRadius_mm * 0.5e-3 ? 4.0 / 3 * kVolts / (kGap_mm * 1e-3) : NAN; },
     0.01},
    // The field of a 90° corner grows as ρ^(-1/3): halving the cell raises the maximum by about
    // 2^(1/3); at least 15 % is asked.
    {"SquareCornerGrowsAsTheCellShrinks", kCorner, 0.1, 0.05, 0, nullptr, 1.15},
};

TEST(SurfaceField, MatchesItsClosedFormOnTwoMeshes) {
  for (const SurfaceCase& c : kSurfaceCases) {
    SCOPED_TRACE(c.name);
    double maximum[2] = {0, 0};
    for (int k = 0; k < 2; ++k) {
      const double cell = k == 0 ? c.coarse_mm : c.fine_mm;
      char geometry[600];
      std::snprintf(geometry, sizeof geometry, c.geometry ? c.geometry : "", cell);
      testing::TestGun t;
      ASSERT_TRUE(testing::makeTestGun(c.geometry ? geometry : testing::planarDiode(kGap_mm, cell, kVolts, kDiodeRadius_mm), t));
      BeamResult beam;
      t.field.solve({}, beam.potential_V);
      BeamSettings settings;
      settings.trajectories = 40;
      settings.tolerance = 1e-4;
      if (!c.geometry) {
        ASSERT_TRUE(testing::solved(t, settings, beam));
      }
      const SurfaceField field = surfaceField(t.gun, t.mesh, beam.potential_V);
      ASSERT_TRUE(field.electrodes.at(static_cast<std::size_t>(c.electrode)).sampled);
      maximum[k] = field.electrodes[static_cast<std::size_t>(c.electrode)].field_V_per_m;
      int checked = 0;
      double worst = 0;
      for (const SurfaceSample& s : field.samples) {
        const double reference = s.electrode == c.electrode && c.reference ? c.reference(s) : NAN;
        if (std::isnan(reference)) continue;
        ++checked;
        worst = std::max(worst, std::abs(s.field_V_per_m / reference - 1));
      }
      std::printf("%-36s cell %.3g mm: maximum %.4g kV/mm, %d samples, worst error %.4f\n", c.name, cell,
                  maximum[k] * 1e-6, checked, worst);
      EXPECT_TRUE(!c.reference || (checked > 4 && worst < c.tolerance)) << "cell " << cell;
    }
    EXPECT_TRUE(c.reference || maximum[1] > c.tolerance * maximum[0]);
  }
}

}  // namespace
}  // namespace kelm::solver
