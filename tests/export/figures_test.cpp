// The beam figures kelm-export adds to the phase plane's, on crossings made by hand and
// computed by hand, and the energy factor of the normalized emittances.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "source/export/figure_tables.h"
#include "source/export/range_figures.h"
#include "source/klplot/figures/beam_figures_along_z.h"

namespace kelm::exporting {
namespace {

struct Crossing {
  float r, slope, current;
};

std::unique_ptr<klplot::Crossings> crossingsOf(const std::vector<Crossing>& list) {
  auto c = std::make_unique<klplot::Crossings>();
  for (const Crossing& x : list) {
    const int k = ++c->count;
    c->radius(k) = x.r, c->slope(k) = x.slope, c->current(k) = x.current;
    c->trajectory(k) = k;
    c->totalCurrent += x.current;
    c->rMax = std::max(c->rMax, x.r);
  }
  klplot::finishCrossings(*c);
  return c;
}

// Figures in mm and mrad; the hand values below are in mm*rad, hence kMilli.
constexpr double kMilli = 1000.0;

TEST(Figures, HandComputedEmittances) {
  // A beam of nine laminar crossings (r' = r/2) and one far off that line, 1 A each: the
  // innermost 90 % is the laminar core alone.
  std::vector<Crossing> coreAndHalo;
  for (int r = 1; r <= 9; ++r) coreAndHalo.push_back({float(r), 0.5f * float(r), 1.0f});
  coreAndHalo.push_back({1.0f, 2.0f, 1.0f});

  struct Case {
    const char* what;
    std::vector<Crossing> crossings;
    double phasePlane, rms, core, rmsRadius;
  } cases[] = {
      {"laminar", {{1, 0.25f, 1}, {2, 0.5f, 2}, {4, 1, 0.5f}}, 0.0, 0.0, 0.0, std::sqrt((1 + 8 + 8) / 3.5)},
      // One crossing spans no area: exactly 0, not a rounding residue.
      {"one crossing", {{1.7f, 0.013f, 0.2f}}, 0.0, 0.0, 0.0, 1.7},
      // Srr = 5, Spp = 0.0005, Srp = 0.04, I = 2: 4 sqrt(0.0025 - 0.0016) / 2 = 0.06. Both lie
      // on the rms ellipse, so which counts in part is a tie that rounding decides.
      {"two crossings", {{1, 0.02f, 1}, {2, 0.01f, 1}}, 0.06, 0.0075, -1.0, std::sqrt(2.5)},
      // <r^2> = 28.6, <r'^2> = 7.525, <rr'> = 14.45: sqrt(215.215 - 208.8025) / 2.
      {"core and halo", coreAndHalo, 4 * std::sqrt(6.4125), std::sqrt(6.4125) / 2, 0.0, std::sqrt(28.6)},
      // 3 A at (1, 0.1) ranks inside 1 A at (2, 0.1); 90 % takes 0.6 A of the outer one:
      // Srr = 5.4, Spp = 0.036, Srp = 0.42 over 3.6 A. All of it: 7, 0.04, 0.5 over 4 A.
      {"the last in part", {{1, 0.1f, 3}, {2, 0.1f, 1}}, std::sqrt(0.03), std::sqrt(0.03) / 8,
       std::sqrt(0.018) / 3.6 / 2, std::sqrt(7.0 / 4)},
  };
  for (const Case& k : cases) {
    // Electron currents are often given negative: the figures must not care.
    for (float sign : {1.0f, -1.0f}) {
      std::vector<Crossing> crossings = k.crossings;
      for (Crossing& x : crossings) x.current *= sign;
      const PlaneFigures f = figuresOf(*crossingsOf(crossings), 5.0f, 0.0);
      ASSERT_TRUE(f.shaped) << k.what;
      EXPECT_NEAR(f.emittance.phasePlane, k.phasePlane * kMilli, 1e-3) << k.what << sign;
      EXPECT_NEAR(f.emittance.rms, k.rms * kMilli, 1e-3) << k.what << sign;
      if (k.core >= 0.0) {
        EXPECT_NEAR(f.emittance.coreRms, k.core * kMilli, 1e-3) << k.what << sign;
      }
      EXPECT_NEAR(f.rmsRadius, k.rmsRadius, 1e-6) << k.what << sign;
      // The innermost 90 % never spreads wider than the whole beam.
      EXPECT_LE(f.emittance.coreRms, f.emittance.rms + 1e-9) << k.what;
      EXPECT_EQ(f.hasTwiss, k.rms > 0) << k.what;
      if (f.hasTwiss) {
        EXPECT_NEAR(f.twiss.beta * f.twiss.gamma - f.twiss.alpha * f.twiss.alpha, 1.0, 1e-9) << k.what;
        EXPECT_LE(f.emittance.ninety, f.emittance.whole) << k.what;
        // The rms ellipse (area/pi = 2 emittance_rms_x in r, r') holds less than all of the beam.
        EXPECT_GE(f.emittance.whole, 2.0 * f.emittance.rms) << k.what;
      }
    }
  }
}

TEST(Figures, EllipseFiguresOfAnUncorrelatedBeam) {
  // Four crossings of 1 A at (+-1 mm, 0) and (0, +-1 mrad) folded to r >= 0 by their slope's
  // sign: <r^2> = 0.5 mm^2, <r'^2> = 0.5 mrad^2, <rr'> = 0, so per plane <x^2> = 0.25,
  // <x'^2> = 0.25 and emittance_rms_x = 0.25 mm mrad, beta = 1 mm/mrad, alpha = 0.
  const PlaneFigures f =
      figuresOf(*crossingsOf({{1, 0, 1}, {1, 0, 1}, {0, 0.001f, 1}, {0, -0.001f, 1}}), 0.0f, 0.0);
  ASSERT_TRUE(f.hasTwiss);
  EXPECT_NEAR(f.emittance.rms, 0.25, 1e-6);  // slopes in single precision
  EXPECT_NEAR(f.twiss.beta, 1.0, 1e-6);
  EXPECT_NEAR(f.twiss.alpha, 0.0, 1e-9);
  EXPECT_NEAR(f.twiss.gamma, 1.0, 1e-6);
  EXPECT_NEAR(f.divergence, 0.5, 1e-6);
  EXPECT_NEAR(f.centroidR, 0.5, 1e-9);
  // Every crossing lies on the ellipse J = <r'^2>r^2 + <r^2>r'^2 = 0.5e-6: area/pi = J/sqrt(det)
  // = 0.5e-6 / 0.5e-3 rad mm = 1 mm mrad, for 90 % and for all of it.
  EXPECT_NEAR(f.emittance.ninety, 1.0, 1e-6);
  EXPECT_NEAR(f.emittance.whole, 1.0, 1e-6);
}

// Crossed, but without current (a plane nothing crosses is the tables' test).
TEST(Figures, NoCurrentThroughThePlaneLeavesTheShapeUndefined) {
  const PlaneFigures noCurrent = figuresOf(*crossingsOf({{1, 0.1f, 0}, {2, 0.3f, 0}}), 1.0f, 0.0);
  EXPECT_FALSE(noCurrent.shaped);
  EXPECT_EQ(noCurrent.crossings, 2);
}

TEST(Figures, TheWaistIsWhereMostOfTheBeamStillIs) {
  auto plane = [](float z, double magnitude, double rms) {
    PlaneFigures f;
    f.z = z;
    f.shaped = true;
    f.magnitude = magnitude;
    f.rmsRadius = rms;
    return f;
  };
  struct Case {
    const char* what;
    std::vector<PlaneFigures> planes;
    float waist;
  } cases[] = {
      {"all there", {plane(1, 1.0, 3), plane(2, 1.0, 1), plane(3, 1.0, 2)}, 2},
      // Half the beam gone at the narrowest plane: the narrowest of the rest.
      {"beam lost", {plane(1, 1.0, 3), plane(2, 0.95, 2), plane(3, 0.5, 0.1)}, 2},
      {"exactly 90 %", {plane(1, 1.0, 3), plane(2, 0.9, 2)}, 2},
  };
  for (const Case& c : cases) {
    const auto waist = waistOf(c.planes);
    ASSERT_TRUE(waist) << c.what;
    EXPECT_EQ(waist->z, c.waist) << c.what;
  }
  EXPECT_FALSE(waistOf({PlaneFigures{}}));
}

TEST(Figures, RangeFiguresOverPlanesOfMadeUpCrossings) {
  using Plane = std::vector<Crossing>;
  const Plane narrow{{1, 0.01f, 1}, {2, -0.02f, 1}}, wide{{4, 0.03f, 2}, {1, 0.0f, 1}, {3, 0.05f, 0.5f}};
  const struct {
    std::vector<Plane> planes;
    float rMax;  // -1: none
  } cases[] = {
      {{narrow, wide}, 4},
      // Crossed without current: it widens r_max, but has no r_rms to ripple.
      {{narrow, {{7, 0.1f, 0}}, narrow}, 7},
      {{{}, {}}, -1},
  };
  for (const auto& c : cases) {
    std::vector<PlaneFigures> planes;
    // The test's own r_rms and emittance_rms_x (mm mrad) of the planes with current.
    double low = HUGE_VAL, high = -1, emittance = 0;
    for (const Plane& p : c.planes) {
      planes.push_back(figuresOf(*crossingsOf(p), 1.0f, 0.0));
      double w = 0, rr = 0, pp = 0, rp = 0;
      for (const Crossing& x : p) w += x.current, rr += x.current * x.r * x.r, pp += x.current * x.slope * x.slope,
                                  rp += x.current * x.r * x.slope;
      if (w == 0) continue;
      low = std::min(low, std::sqrt(rr / w)), high = std::max(high, std::sqrt(rr / w));
      emittance = std::max(emittance, std::sqrt(rr * pp - rp * rp) / w / 2 * kMilli);
    }
    const RangeFigures f = rangeFiguresOf(planes);
    EXPECT_EQ(f.rMax.value_or(-1.0f), c.rMax);
    EXPECT_NEAR(f.rmsRipple.value_or(-1), high < 0 ? -1 : high - low, 1e-6) << c.rMax;
    EXPECT_NEAR(f.largestEmittance.value_or(0), emittance, 1e-6 * (1 + emittance)) << c.rMax;
  }
}

TEST(Figures, BetaGamma) {
  EXPECT_NEAR(betaGamma(510998.95), std::sqrt(3.0), 1e-12);  // gamma = 2
  EXPECT_NEAR(betaGamma(10000.0), 0.1988014, 1e-7);
  EXPECT_NEAR(betaGamma(1.0), std::sqrt(2.0 / 510998.95), 1e-9);
}

}  // namespace
}  // namespace kelm::exporting
