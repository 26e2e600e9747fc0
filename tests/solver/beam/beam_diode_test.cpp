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

// The one-dimensional relativistic limit: shooting on φ'' = J/(ε0·v(φ)) from the cathode,
// where the flow starts as Child's, and bisecting on J until φ(d) = V.
double relativisticLimit(double volts, double gap_m) {
  constexpr double c = 299792458.0, rest = 510998.95;
  auto speed = [&](double phi) {
    const double g = 1 + std::max(phi, 0.0) / rest;
    return c * std::sqrt(1 - 1 / (g * g));
  };
  auto potentialAtAnode = [&](double j) {
    // Child's start: φ = (9J/(4ε0·√(2e/m)))^{2/3}·x^{4/3}.
    const double x0 = gap_m * 1e-6, coeff = std::pow(9 * j / (4 * kEps0 * std::sqrt(2 * kE / kM)), 2.0 / 3);
    double phi = coeff * std::pow(x0, 4.0 / 3), slope = 4.0 / 3 * coeff * std::pow(x0, 1.0 / 3);
    const int steps = 20000;
    const double h = (gap_m - x0) / steps;
    auto f = [&](double p) { return j / (kEps0 * speed(p)); };
    for (int k = 0; k < steps; ++k) {
      const double k1p = slope, k1s = f(phi);
      const double k2p = slope + h / 2 * k1s, k2s = f(phi + h / 2 * k1p);
      const double k3p = slope + h / 2 * k2s, k3s = f(phi + h / 2 * k2p);
      const double k4p = slope + h * k3s, k4s = f(phi + h * k3p);
      phi += h / 6 * (k1p + 2 * k2p + 2 * k3p + k4p);
      slope += h / 6 * (k1s + 2 * k2s + 2 * k3s + k4s);
    }
    return phi;
  };
  double low = 0, high = 2 * kChild * std::pow(volts, 1.5) / (gap_m * gap_m);
  for (int k = 0; k < 60; ++k) {
    const double mid = (low + high) / 2;
    (potentialAtAnode(mid) < volts ? low : high) = mid;
  }
  return (low + high) / 2;
}

TEST(RelativisticPlanarDiode, ReferenceAtOneMegavoltLiesAboutFifteenPercentBelowChild) {
  const double ratio = relativisticLimit(1e6, 2e-3) / (kChild * std::pow(1e6, 1.5) / 4e-6);
  EXPECT_GT(ratio, 0.82);
  EXPECT_LT(ratio, 0.88);
}

TEST(RelativisticPlanarDiode, CurrentDensityAtOneMegavoltWithinTwoPercentOfTheRelativisticLimit) {
  const double gap = 2.0, cell = 0.02, volts = 1e6;
  testing::TestGun t;
  ASSERT_TRUE(testing::makeTestGun(planarDiode(gap, cell, volts), t));
  BeamResult result;
  std::string error;
  ASSERT_TRUE(solveBeam(t.mesh, t.field, t.cathode, {}, diodeSettings(20), {}, nullptr, result, error)) << error;
  EXPECT_TRUE(result.converged);
  const double area = M_PI * std::pow(10 * cell * 1e-3, 2);
  EXPECT_NEAR(result.current_A / area / relativisticLimit(volts, gap * 1e-3), 1.0, 0.02);
}

// (−α)² of Langmuir and Blodgett for an emitting sphere of radius ratio rc/ra, integrating
// 3αα'' + α'² + 3αα' = 1 in γ = ln(ra/rc) by RK4 from the series near γ = 0.
double langmuirBlodgettAlphaSquared(double ratio) {
  const double end = -std::log(ratio);
  double g = -1e-3, a = g - 0.3 * g * g + 0.075 * g * g * g, da = 1 - 0.6 * g + 0.225 * g * g;
  auto f = [](double alpha, double slope) { return (1 - slope * slope - 3 * alpha * slope) / (3 * alpha); };
  const int steps = 20000;
  const double h = (end - g) / steps;
  for (int k = 0; k < steps; ++k) {
    const double k1a = da, k1d = f(a, da);
    const double k2a = da + h / 2 * k1d, k2d = f(a + h / 2 * k1a, da + h / 2 * k1d);
    const double k3a = da + h / 2 * k2d, k3d = f(a + h / 2 * k2a, da + h / 2 * k2d);
    const double k4a = da + h * k3d, k4d = f(a + h * k3a, da + h * k3d);
    a += h / 6 * (k1a + 2 * k2a + 2 * k3a + k4a);
    da += h / 6 * (k1d + 2 * k2d + 2 * k3d + k4d);
    g += h;
  }
  return a * a;
}

TEST(SphericalDiode, LangmuirBlodgettReferenceMatchesItsTabulatedValue) {
  EXPECT_NEAR(langmuirBlodgettAlphaSquared(2.0), 0.750, 0.002);
}

TEST(SphericalDiode, WholeSphereEmittingInwardCarriesTheLangmuirBlodgettCurrentWithinTwoPercent) {
  // Anode sphere of 5 mm inside a cathode sphere of 10 mm, 50 cells across the gap.
  const double a = 5, b = 10, zc = 10.5, volts = 1000;
  char text[800];
  std::snprintf(text, sizeof text,
                "mesh r %g z %g cell 0.1\nedge zmin held 0\nedge zmax held 0\nedge rmax held 0\n"
                "electrode cathode 0\n from 0 0\n line 0 %g\n arc 0 %g radius %g cw\n line 0 %g\n"
                " line %g %g\n line %g 0\n close\nend\n"
                "electrode anode %g\n from 0 %g\n arc 0 %g radius %g cw\n close\nend\n",
                zc, 2 * zc, zc - b, zc + b, b, 2 * zc, zc, 2 * zc, zc, volts, zc - a, zc + a, a);
  testing::TestGun t;
  ASSERT_TRUE(testing::makeTestGun(text, t));
  t.cathode.spherical = true;
  t.cathode.zc_m = zc * 1e-3;
  t.cathode.radius_m = b * 1e-3;
  t.cathode.theta0 = 0;
  t.cathode.theta1 = M_PI;
  BeamResult result;
  std::string error;
  BeamSettings settings = diodeSettings(200);
  settings.tolerance = 1e-4;
  ASSERT_TRUE(solveBeam(t.mesh, t.field, t.cathode, {}, settings, {}, nullptr, result, error)) << error;
  EXPECT_TRUE(result.converged);
  const double reference = kChild * 4 * M_PI * std::pow(volts, 1.5) / langmuirBlodgettAlphaSquared(b / a);
  EXPECT_NEAR(result.current_A / reference, 1.0, 0.02);
}

}  // namespace
}  // namespace kelm::solver
