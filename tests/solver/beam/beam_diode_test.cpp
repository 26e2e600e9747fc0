// The space-charge iteration. Diodes with known currents, each reference computed here, over
// mesh sizes and with trajectories sparser and denser than cells; on the example gun, a
// converged beam is its own solution and the thread count changes nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <memory>

#include "source/klplot/figures/beam_figures_along_z.h"
#include "source/solver/beam/emission_layer.h"
#include "source/solver/geometry/solver_input.h"
#include "tests/solver/beam/planar_diode.h"
#include "tests/solver/beam/test_gun.h"

namespace kelm::solver {
namespace {

using namespace testing;

const double kChild = 4 * kEps0 / 9 * std::sqrt(2 * kE / kM);

BeamSettings diodeSettings(int trajectories) {
  BeamSettings s;
  s.trajectories = trajectories;
  s.tolerance = 1e-4;
  s.threads = 2;
  return s;
}

// The one-dimensional relativistic limit: shooting on φ'' = J/(ε0·v(φ)) from the cathode,
// where the flow starts as Child's, and bisecting on J until φ(d) = V. RK4 in u with
// x = d·u³, in which Child's φ ∝ u⁴ is smooth: in x its singular start costs 0.3 %.
double relativisticLimit(double volts, double gap_m) {
  auto speed = [&](double phi) {
    const double g = 1 + std::max(phi, 0.0) / kRest_eV;
    return kC * std::sqrt(1 - 1 / (g * g));
  };
  auto potentialAtAnode = [&](double j) {
    // Child's start: φ = (9J/(4ε0·√(2e/m)))^{2/3}·x^{4/3}.
    const double u0 = 1e-3, x0 = gap_m * u0 * u0 * u0;
    const double coeff = std::pow(9 * j / (4 * kEps0 * std::sqrt(2 * kE / kM)), 2.0 / 3);
    std::array<double, 2> y = {coeff * std::pow(x0, 4.0 / 3), 4.0 / 3 * coeff * std::pow(x0, 1.0 / 3)};
    // d/du of (φ, φ') is (φ', J/(ε0·v))·dx/du.
    auto f = [&](double u, const std::array<double, 2>& p) {
      const double dxdu = 3 * gap_m * u * u;
      return std::array<double, 2>{dxdu * p[1], dxdu * j / (kEps0 * speed(p[0]))};
    };
    const int steps = 4000;
    const double h = (1 - u0) / steps;
    for (int k = 0; k < steps; ++k) rk4Step(u0 + k * h, y, h, f);
    return y[0];
  };
  double low = 0, high = 2 * kChild * std::pow(volts, 1.5) / (gap_m * gap_m);
  for (int k = 0; k < 60; ++k) {
    const double mid = (low + high) / 2;
    (potentialAtAnode(mid) < volts ? low : high) = mid;
  }
  return (low + high) / 2;
}

// (−α)² of Langmuir and Blodgett for an emitting sphere of radius ratio rc/ra, integrating
// 3αα'' + α'² + 3αα' = 1 in γ = ln(ra/rc) by RK4 from the series near γ = 0.
double langmuirBlodgettAlphaSquared(double ratio) {
  const double g0 = -1e-3, end = -std::log(ratio);
  std::array<double, 2> y = {g0 - 0.3 * g0 * g0 + 0.075 * g0 * g0 * g0, 1 - 0.6 * g0 + 0.225 * g0 * g0};
  auto f = [](double, const std::array<double, 2>& p) {
    return std::array<double, 2>{p[1], (1 - p[1] * p[1] - 3 * p[0] * p[1]) / (3 * p[0])};
  };
  const int steps = 20000;
  const double h = (end - g0) / steps;
  for (int k = 0; k < steps; ++k) rk4Step(g0 + k * h, y, h, f);
  return y[0] * y[0];
}

// The references against published values: at 1 MV relativity takes about 15 % off Child's
// current, and Langmuir and Blodgett tabulate (−α)² = 0.750 at a radius ratio of 2.
TEST(DiodeReferences, MatchTheirPublishedValues) {
  const double ratio = relativisticLimit(1e6, 2e-3) / (kChild * std::pow(1e6, 1.5) / 4e-6);
  EXPECT_GT(ratio, 0.82);
  EXPECT_LT(ratio, 0.88);
  EXPECT_NEAR(langmuirBlodgettAlphaSquared(2.0), 0.750, 0.002);
}

// The reference density of a planar diode as meshed: the gap between the cathode's face and
// the anode plate.
struct PlanarCase {
  const char* name;
  double volts, gap_mm, cell_mm, radius_mm;
  int trajectories;
  double temperatureLimit;  // of the reference density; 0: space-charge limited
};

class PlanarDiode : public ::testing::TestWithParam<PlanarCase> {};

// 1 % on the total, 2 % on the innermost share (where a line of charge on the axis would dip),
// the iteration converged with klinput.dat's defaults.
TEST_P(PlanarDiode, CurrentWithinOnePercentAndInnermostDensityWithinTwoOfTheRelativisticLimit) {
  const PlanarCase& c = GetParam();
  testing::TestGun t;
  ASSERT_TRUE(testing::makeTestGun(testing::planarDiode(c.gap_mm, c.cell_mm, c.volts, c.radius_mm), t));
  const double limit = relativisticLimit(c.volts, c.gap_mm * 1e-3), area = M_PI * std::pow(c.radius_mm * 1e-3, 2);
  BeamSettings settings;
  settings.trajectories = c.trajectories;
  settings.threads = 2;
  settings.spaceChargeLimited = c.temperatureLimit == 0;
  settings.emissionDensity_A_per_m2 = c.temperatureLimit * limit;
  BeamResult result;
  ASSERT_TRUE(testing::solved(t, settings, result));
  EXPECT_TRUE(result.converged) << result.iterations << " iterations, change " << result.change;
  const double density = result.current_A / area;
  std::printf("%-28s %4.0f cells across the gap: J/J_ref - 1 = %+.4f, innermost %+.4f, %d iterations\n", c.name,
              c.gap_mm / c.cell_mm, density / limit - 1, result.trajectories.front().density_A_per_m2 / limit - 1,
              result.iterations);
  if (settings.spaceChargeLimited) {
    EXPECT_NEAR(density / limit, 1.0, 0.01);
    EXPECT_NEAR(result.trajectories.front().density_A_per_m2 / limit, 1.0, 0.02);
  } else if (c.temperatureLimit < 1) {  // below the limit: all the cathode gives, within 0.5 %
    EXPECT_NEAR(density / settings.emissionDensity_A_per_m2, 1.0, 0.005);
  } else if (c.temperatureLimit == 1) {  // at it: the blend's 2^(-1/p) of it, or more
    EXPECT_GT(density / limit, std::pow(2.0, -1.0 / kEmissionBlend) * 0.99);
    EXPECT_LT(density / limit, 1.0);
  } else {  // above it: the space-charge limit within 1 %
    EXPECT_NEAR(density / limit, 1.0, 0.01);
  }
  // Beyond the emission layer on the axis, Child's V·(x/d)^(4/3) within 1 % (at 3 kV relativity
  // shifts it by less than 0.1 %).
  const int cathodeRow = 4, cells = static_cast<int>(c.gap_mm / c.cell_mm);
  for (int k = 4; c.volts < 5e3 && settings.spaceChargeLimited && k < cells; ++k) {
    const double reference = c.volts * std::pow(k * c.cell_mm / c.gap_mm, 4.0 / 3);
    ASSERT_NEAR(result.potential_V[t.mesh.node(0, cathodeRow + k)], reference, 0.01 * reference) << "k " << k;
  }
}

INSTANTIATE_TEST_SUITE_P(
    , PlanarDiode,
    ::testing::Values(PlanarCase{"ThreeKilovolt50Cells", 3e3, 25, 0.5, 6, 50, 0},
                      PlanarCase{"ThreeKilovolt100Cells", 3e3, 25, 0.25, 6, 50, 0},
                      PlanarCase{"ThreeKilovolt200Cells", 3e3, 25, 0.125, 6, 50, 0},
                      PlanarCase{"ThreeKilovolt400Cells", 3e3, 25, 0.0625, 6, 50, 0},
                      PlanarCase{"ThreeKilovolt50CellsDense", 3e3, 25, 0.5, 6, 1000, 0},
                      PlanarCase{"ThreeKilovolt400CellsDense", 3e3, 25, 0.0625, 6, 1000, 0},
                      PlanarCase{"ThirtySevenKilovolt46Cells", 37e3, 7.3, 0.16, 1.92, 50, 0},
                      PlanarCase{"ThirtySevenKilovolt91Cells", 37e3, 7.3, 0.08, 1.92, 50, 0},
                      PlanarCase{"ThirtySevenKilovolt182Cells", 37e3, 7.3, 0.04, 1.92, 50, 0},
                      PlanarCase{"ThirtySevenKilovolt365Cells", 37e3, 7.3, 0.02, 1.92, 50, 0},
                      PlanarCase{"ThirtySevenKilovolt91CellsDense", 37e3, 7.3, 0.08, 1.92, 1000, 0},
                      PlanarCase{"MegavoltRelativistic", 1e6, 2, 0.02, 0.2, 20, 0},
                      PlanarCase{"TemperatureLimitedBelow", 3e3, 25, 0.25, 6, 50, 0.3},
                      PlanarCase{"TemperatureLimitedAt", 3e3, 25, 0.25, 6, 50, 1},
                      PlanarCase{"TemperatureLimitedAbove", 3e3, 25, 0.25, 6, 50, 3},
                      PlanarCase{"TemperatureLimitedFarAbove", 3e3, 25, 0.25, 6, 50, 1e6}),
    [](const auto& test) { return std::string(test.param.name); });

// A cathode at 1300 K in the 3 kV, 25 mm diode: well below the limit (W = 4.5 eV) it gives
// Richardson–Dushman's A·T²·exp(−(W − ΔW)/kT) over its area, ΔW = √(eE/(4πε0)) in eV at the
// vacuum field V/d, within 0.5 %; far above it (W = 2 eV), the space-charge-limited current
// within 0.5 %.
TEST(ThermionicDiode, GivesRichardsonDushmanBelowTheLimitAndChildAboveWithinHalfAPercent) {
  constexpr double volts = 3e3, gap = 25e-3, radius = 6e-3, kelvin = 1300, richardson = 1.20173e6;
  testing::TestGun t;
  ASSERT_TRUE(testing::makeTestGun(testing::planarDiode(gap * 1e3, 0.25, volts, radius * 1e3), t));
  BeamSettings settings = diodeSettings(50);
  BeamResult limited, result;
  ASSERT_TRUE(testing::solved(t, settings, limited));
  settings.spaceChargeLimited = false;
  settings.thermionic = true;
  settings.temperature_K = kelvin;
  settings.thermalNodes = 1;  // the wall is open: sideways rays would leave the diode with their charge
  settings.richardson_A_per_m2K2 = richardson;
  for (const double work : {4.5, 2.0}) {
    settings.workFunction_eV = work;
    ASSERT_TRUE(testing::solved(t, settings, result));
    const double lowering = std::sqrt(kE * volts / gap / (4 * M_PI * kEps0));
    const double hot = richardson * kelvin * kelvin * std::exp(-(work - lowering) / (kBoltzmann_eV_per_K * kelvin));
    const double reference = work > 3 ? hot * M_PI * radius * radius : limited.current_A;
    EXPECT_NEAR(result.current_A / reference, 1.0, 0.005) << "W " << work;
  }
}

// A cathode of radius R_c at 1300 K, temperature limited far below the space-charge limit so
// that the transverse momenta are kept across the planar diode: the normalized rms emittance of
// all rays, from the figures with θ′, is the thermal (R_c/2)·√(kT/(m c²)) within 3 %. Space
// charge limited, the current moves by less than 0.5 % from the cold beam's.
struct ThermalCase { const char* name; double cell_mm; int sites, nodes; };

class ThermalDiode : public ::testing::TestWithParam<ThermalCase> {};

TEST_P(ThermalDiode, EmittanceIsTheThermalOneWithinThreePercentAndTheCurrentKeptWithinHalfOne) {
  const ThermalCase& c = GetParam();
  constexpr double volts = 3e3, gap = 25, radius = 4, kelvin = 1300;
  testing::TestGun t;
  ASSERT_TRUE(testing::makeTestGun(testing::planarDiode(gap, c.cell_mm, volts, 1.5 * radius, radius), t));
  BeamSettings settings = diodeSettings(c.sites);
  BeamResult cold, hot;
  ASSERT_TRUE(testing::solved(t, settings, cold));
  settings.temperature_K = kelvin;
  settings.thermalNodes = c.nodes;
  ASSERT_TRUE(testing::solved(t, settings, hot));
  EXPECT_NEAR(hot.current_A / cold.current_A, 1.0, 0.005);
  settings.spaceChargeLimited = false;
  settings.emissionDensity_A_per_m2 = 1;  // 0.2 % of Child's
  ASSERT_TRUE(testing::solved(t, settings, hot));
  // Where each ray crosses a plane 4/5 of the way across, with u = p/(m c).
  auto crossings = std::make_unique<klplot::Crossings>();
  klplot::clearCrossings(*crossings);
  const double plane = (4 * c.cell_mm + 0.8 * gap) * 1e-3;
  double meanUz = 0;
  for (const BeamTrajectory& ray : hot.trajectories) {
    const auto& p = ray.trace.points;
    const auto after = std::find_if(p.begin(), p.end(), [&](const TracePoint& q) { return q.z_m >= plane; });
    ASSERT_TRUE(after != p.begin() && after != p.end()) << "a ray does not reach the plane";
    const TracePoint &a = *(after - 1), &b = *after;
    const double f = (plane - a.z_m) / (b.z_m - a.z_m), uz = a.uz + f * (b.uz - a.uz);
    auto at = [&](double TracePoint::*x) { return a.*x + f * (b.*x - a.*x); };
    const int k = ++crossings->count;
    crossings->radius(k) = float(at(&TracePoint::r_m) * 1e3);
    crossings->slope(k) = float(at(&TracePoint::ur) / uz);
    // r·θ′ = uθ/uz, uθ = γ·r·θ̇/c
    crossings->azimuthalSlope(k) = float(b.gamma * b.r_m * at(&TracePoint::thetaDot_per_s) / kC / uz);
    crossings->current(k) = float(ray.current_A);
    meanUz += ray.current_A * uz / hot.current_A;
  }
  const double normalized = exporting::figuresOf(*crossings, 0, 0).emittance.rms * meanUz;
  const double reference = radius / 2 * std::sqrt(kBoltzmann_eV_per_K * kelvin / kRest_eV) * 1e3;  // mm mrad
  std::printf("%-24s normalized rms emittance %.5f mm mrad, thermal %.5f\n", c.name, normalized, reference);
  EXPECT_NEAR(normalized / reference, 1.0, 0.03);
}

// 16 cells (0.25 mm) or 8 (0.5 mm) across the cathode: 5 sites are sparser, 100 denser.
INSTANTIATE_TEST_SUITE_P(, ThermalDiode,
                         ::testing::Values(ThermalCase{"CoarseSparse", 0.5, 5, 2}, ThermalCase{"CoarseDense", 0.5, 100, 2},
                                           ThermalCase{"FineSparse", 0.25, 5, 3}, ThermalCase{"FineDense", 0.25, 100, 2}),
                         [](const auto& test) { return std::string(test.param.name); });

struct SphericalCase {
  const char* name;
  double ratio;   // cathode radius over anode radius
  double cell_mm;
  int trajectories;
};

class SphericalDiode : public ::testing::TestWithParam<SphericalCase> {};

// A whole cathode sphere of 9 mm emitting inward onto a concentric anode sphere.
TEST_P(SphericalDiode, CurrentWithinOnePercentOfLangmuirBlodgett) {
  const SphericalCase& c = GetParam();
  const double b = 9, a = b / c.ratio, zc = 9.5, volts = 1000;
  char text[800];
  std::snprintf(text, sizeof text,
                "mesh r %g z %g cell %g\nedge zmin held 0\nedge zmax held 0\nedge rmax held 0\n"
                "electrode cathode 0\n from 0 0\n line 0 %g\n arc 0 %g radius %g cw\n line 0 %g\n"
                " line %g %g\n line %g 0\n close\nend\n"
                "electrode anode %g\n from 0 %g\n arc 0 %g radius %g cw\n close\nend\n",
                zc, 2 * zc, c.cell_mm, zc - b, zc + b, b, 2 * zc, zc, 2 * zc, zc, volts, zc - a, zc + a, a);
  testing::TestGun t;
  ASSERT_TRUE(testing::makeTestGun(text, t));
  t.cathode.spherical = true;
  t.cathode.zc_m = zc * 1e-3;
  t.cathode.radius_m = b * 1e-3;
  t.cathode.theta0 = 0;
  t.cathode.theta1 = M_PI;
  BeamResult result;
  ASSERT_TRUE(testing::solved(t, diodeSettings(c.trajectories), result));
  EXPECT_TRUE(result.converged) << result.iterations << " iterations, change " << result.change;
  const double reference = kChild * 4 * M_PI * std::pow(volts, 1.5) / langmuirBlodgettAlphaSquared(c.ratio);
  const double innermost = result.trajectories.front().density_A_per_m2 * 4 * M_PI * b * b * 1e-6;
  std::printf("%-28s %4.0f cells across the gap: I/I_ref - 1 = %+.4f, innermost %+.4f, %d iterations\n", c.name,
              (b - a) / c.cell_mm, result.current_A / reference - 1, innermost / reference - 1, result.iterations);
  EXPECT_NEAR(result.current_A / reference, 1.0, 0.01);
  EXPECT_NEAR(innermost / reference, 1.0, 0.01);
}

// The sphere's surface spans 283 cells at 0.1 mm: 20 trajectories are sparser, 600 denser.
INSTANTIATE_TEST_SUITE_P(, SphericalDiode,
                         ::testing::Values(SphericalCase{"RatioTwoSparse", 2, 0.1, 20},
                                           SphericalCase{"RatioTwoDense", 2, 0.1, 600},
                                           SphericalCase{"RatioTwoFineSparse", 2, 0.05, 20},
                                           SphericalCase{"RatioOneAndAHalfSparse", 1.5, 0.1, 20},
                                           SphericalCase{"RatioThreeSparse", 3, 0.1, 20},
                                           SphericalCase{"RatioThreeDense", 3, 0.1, 600}),
                         [](const auto& test) { return std::string(test.param.name); });

BeamSettings gunSettings(int threads) {
  BeamSettings s;
  s.trajectories = 60;
  s.iterations = 60;
  s.tolerance = 1e-5;
  s.threads = threads;
  return s;
}

// The example gun in the field of a focusing coil.
class BeamIteration : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(testing::makeTestGun(testing::kExampleGun, t)); }
  testing::TestGun t;
  const Solenoid solenoid{40, 20, 25, 2000};
  const AxialMagneticField coil = AxialMagneticField::fromSolenoids({&solenoid, 1}, 0, 0.06, 1e-4);
};

TEST_F(BeamIteration, ConvergedBeamResolvedOnceMoreChangesTheCurrentByLessThanOnePerMille) {
  BeamResult converged, again;
  ASSERT_TRUE(testing::solved(t, gunSettings(2), converged, coil));
  ASSERT_TRUE(converged.converged);
  ASSERT_GT(converged.current_A, 0.0);
  BeamSettings once = gunSettings(2);
  once.iterations = 1;
  once.relaxation = 1.0;
  ASSERT_TRUE(testing::solved(t, once, again, coil, converged.chargeDensity));
  EXPECT_NEAR(again.current_A / converged.current_A, 1.0, 1e-3);
}

TEST_F(BeamIteration, ResultsAreTheSameBitForBitWhateverTheThreadCount) {
  BeamResult reference;
  BeamSettings settings = gunSettings(1);
  settings.iterations = 4;
  settings.temperature_K = 1300;  // the last two passes with thermal rays
  ASSERT_TRUE(testing::solved(t, settings, reference, coil));
  ASSERT_EQ(reference.raysPerSite, 4);
  for (int threads : {2, 3, 7}) {
    settings.threads = threads;
    BeamResult other;
    ASSERT_TRUE(testing::solved(t, settings, other, coil));
    EXPECT_EQ(other.current_A, reference.current_A) << threads << " threads";
    EXPECT_EQ(other.potential_V, reference.potential_V) << threads << " threads";
  }
}

// A gun that draws no beam is solveProject's refusal, with its wording.
TEST_F(BeamIteration, AResumedChargeOfAnotherMeshIsRefusedWithAReasonAndNoResult) {
  BeamResult result;
  std::string error;
  EXPECT_FALSE(solveBeam(t.mesh, t.field, t.cathode, {}, gunSettings(1), std::vector<double>(17), nullptr, result, error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(result.trajectories.empty());
}

}  // namespace
}  // namespace kelm::solver
