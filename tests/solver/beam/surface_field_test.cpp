// |E| on electrode surfaces against closed forms computed here, each on two mesh sizes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>

#include "source/solver/field/surface_field.h"
#include "tests/solver/beam/test_gun.h"

namespace kelm::solver {
namespace {

std::string text(const char* pattern, double cell) {
  char out[600];
  std::snprintf(out, sizeof out, pattern, cell);
  return out;
}

// Coaxial: a 1.3 mm rod at 1 kV inside the edge r = 6 mm held at 0.
std::string coaxial(double cell) {
  return text("mesh r 6 z 2 cell %g\nedge rmax held 0\nedge zmin open\nedge zmax open\n"
              "electrode rod 1000\n from 0 0\n line 1.3 0\n line 1.3 2\n line 0 2\n close\nend\n",
              cell);
}

// Concentric spheres about z = 6 mm: radius 2 at 1 kV inside radius 5 at 0.
std::string spheres(double cell) {
  return text("mesh r 6 z 12 cell %g\nedge rmax open\nedge zmin open\nedge zmax open\n"
              "electrode inner 1000\n from 0 4\n arc 2 6 radius 2 cw\n arc 0 8 radius 2 cw\n close\nend\n"
              "electrode outer 0\n from 0 1\n arc 5 6 radius 5 cw\n arc 0 11 radius 5 cw\n line 0 12\n line 6 12\n"
              " line 6 0\n line 0 0\n close\nend\n",
              cell);
}

// A block's square corner at r = 2, z = 3 mm facing a plane held 5 mm above it.
std::string corner(double cell) {
  return text("mesh r 6 z 8 cell %g\nedge zmin held 0\nedge zmax held 1000\nedge rmax open\n"
              "electrode block 0\n from 0 0\n line 2 0\n line 2 3\n line 0 3\n close\nend\n",
              cell);
}

constexpr double kVolts = 1000, kGap_mm = 10, kDiodeRadius_mm = 6;

std::string diode(double cell) { return testing::planarDiode(kGap_mm, cell, kVolts, kDiodeRadius_mm); }

struct SurfaceCase {
  const char* name;
  std::function<std::string(double)> geometry;
  double coarse_mm, fine_mm;
  int electrode;
  // The closed form at a sample, or NaN where it does not hold; empty: the corner's row.
  std::function<double(const SurfaceSample&)> reference;
  double tolerance;  // relative; for the corner, the least growth of the maximum from coarse to fine
  bool beam = false;
};

double sphereField(double radius_mm, const SurfaceSample& s) {
  const double r1 = 2e-3, r2 = 5e-3, rho = radius_mm * 1e-3;
  return std::abs(std::hypot(s.z_m - 6e-3, s.r_m) - rho) < 1e-6 ? kVolts * r1 * r2 / ((r2 - r1) * rho * rho) : NAN;
}

const SurfaceCase kCases[] = {
    {"CoaxialRodOnePercent", coaxial, 0.1, 0.05, 0,
     [](const SurfaceSample&) { return kVolts / (1.3e-3 * std::log(6 / 1.3)); }, 0.01},
    {"InnerSphereOnePercent", spheres, 0.1, 0.05, 0, [](const SurfaceSample& s) { return sphereField(2, s); }, 0.01},
    {"OuterSphereOnePercent", spheres, 0.1, 0.05, 1, [](const SurfaceSample& s) { return sphereField(5, s); }, 0.01},
    // Child's V·(x/d)^(4/3) has 4/3·V/d at the anode; at 1 kV relativity moves it by 0.1 %.
    {"ChildDiodeAnodeOnePercent", diode, 0.25, 0.125, 1,
     [](const SurfaceSample& s) { return s.r_m < kDiodeRadius_mm * 0.5e-3 ? 4.0 / 3 * kVolts / (kGap_mm * 1e-3) : NAN; },
     0.01, true},
    // The field of a 90° corner grows as ρ^(-1/3): halving the cell raises the maximum by about
    // 2^(1/3); at least 15 % is asked.
    {"SquareCornerGrowsAsTheCellShrinks", corner, 0.1, 0.05, 0, nullptr, 1.15},
};

class SurfaceFieldCase : public ::testing::TestWithParam<SurfaceCase> {};

TEST_P(SurfaceFieldCase, MatchesItsClosedFormOnTwoMeshes) {
  const SurfaceCase& c = GetParam();
  double maximum[2] = {0, 0};
  for (int k = 0; k < 2; ++k) {
    const double cell = k == 0 ? c.coarse_mm : c.fine_mm;
    testing::TestGun t;
    ASSERT_TRUE(testing::makeTestGun(c.geometry(cell), t));
    std::vector<double> potential;
    t.field.solve({}, potential);
    if (c.beam) {
      BeamSettings settings;
      settings.trajectories = 40;
      settings.tolerance = 1e-4;
      settings.threads = 2;
      BeamResult result;
      std::string error;
      ASSERT_TRUE(solveBeam(t.mesh, t.field, t.cathode, {}, settings, {}, nullptr, result, error)) << error;
      potential = result.potential_V;
    }
    const SurfaceField field = surfaceField(t.gun, t.mesh, potential);
    ASSERT_TRUE(field.electrodes.at(static_cast<std::size_t>(c.electrode)).sampled);
    maximum[k] = field.electrodes[static_cast<std::size_t>(c.electrode)].field_V_per_m;
    if (!c.reference) continue;
    int checked = 0;
    double worst = 0;
    for (const SurfaceSample& s : field.samples) {
      const double reference = s.electrode == c.electrode ? c.reference(s) : NAN;
      if (std::isnan(reference)) continue;
      ++checked;
      worst = std::max(worst, std::abs(s.field_V_per_m / reference - 1));
    }
    std::printf("%-36s cell %.3g mm: %d samples, worst error %.4f\n", c.name, cell, checked, worst);
    EXPECT_GT(checked, 4);
    EXPECT_LT(worst, c.tolerance) << "cell " << cell;
  }
  if (!c.reference) {
    std::printf("%-36s maximum %.4g -> %.4g kV/mm\n", c.name, maximum[0] * 1e-6, maximum[1] * 1e-6);
    EXPECT_GT(maximum[1], c.tolerance * maximum[0]);
  }
}

INSTANTIATE_TEST_SUITE_P(, SurfaceFieldCase, ::testing::ValuesIn(kCases),
                         [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace kelm::solver
