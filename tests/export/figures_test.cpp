// The beam figures kelm-export adds to the phase plane's, on crossings made by hand and
// computed by hand, and the energy factor of the normalized emittances.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "source/export/beam_figures_along_z.h"

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

TEST(Figures, HandComputedEmittances) {
  // A beam of nine laminar crossings (r' = r/2) and one far off that line, 1 A each: the
  // innermost 90 % is the laminar core alone.
  std::vector<Crossing> coreAndHalo;
  for (int r = 1; r <= 9; ++r) coreAndHalo.push_back({float(r), 0.5f * float(r), 1.0f});
  coreAndHalo.push_back({1.0f, 2.0f, 1.0f});

  struct Case {
    const char* what;
    std::vector<Crossing> crossings;
    double phasePlane, rms, ninety, rmsRadius;
  } cases[] = {
      {"laminar", {{1, 0.25f, 1}, {2, 0.5f, 2}, {4, 1, 0.5f}}, 0.0, 0.0, 0.0, std::sqrt((1 + 8 + 8) / 3.5)},
      // Srr = 5, Spp = 0.0005, Srp = 0.04, I = 2: 4 sqrt(0.0025 - 0.0016) / 2 = 0.06. Both lie
      // on the rms ellipse, so which counts in part is a tie that rounding decides.
      {"two crossings", {{1, 0.02f, 1}, {2, 0.01f, 1}}, 0.06, 0.0075, -1.0, std::sqrt(2.5)},
      // <r^2> = 28.6, <r'^2> = 7.525, <rr'> = 14.45: sqrt(215.215 - 208.8025) / 2.
      {"core and halo", coreAndHalo, 4 * std::sqrt(6.4125), std::sqrt(6.4125) / 2, 0.0, std::sqrt(28.6)},
      // 3 A at (1, 0.1) ranks inside 1 A at (2, 0.1); 90 % takes 0.6 A of the outer one:
      // Srr = 5.4, Spp = 0.036, Srp = 0.42 over 3.6 A. All of it: 7, 0.04, 0.5 over 4 A.
      {"the last in part",
       {{1, 0.1f, 3}, {2, 0.1f, 1}},
       std::sqrt(0.03),
       std::sqrt(0.03) / 8,
       std::sqrt(0.018) / 3.6 / 2,
       std::sqrt(7.0 / 4)},
  };
  for (const Case& k : cases) {
    const PlaneFigures f = figuresOf(*crossingsOf(k.crossings), 5.0f, 0.0);
    ASSERT_TRUE(f.shaped) << k.what;
    EXPECT_NEAR(f.emittance.phasePlane, k.phasePlane, 1e-6) << k.what;
    EXPECT_NEAR(f.emittance.rms, k.rms, 1e-6) << k.what;
    if (k.ninety >= 0.0) {
      EXPECT_NEAR(f.emittance.ninety, k.ninety, 1e-6) << k.what;
    }
    EXPECT_NEAR(f.rmsRadius, k.rmsRadius, 1e-6) << k.what;
    // The innermost 90 % never spreads wider than the whole beam.
    EXPECT_LE(f.emittance.ninety, f.emittance.rms + 1e-12) << k.what;
  }
}

TEST(Figures, NothingThroughThePlaneLeavesTheShapeUndefined) {
  const PlaneFigures none = figuresOf(*crossingsOf({}), 1.0f, 3.0);
  EXPECT_FALSE(none.shaped);
  EXPECT_EQ(none.crossings, 0);
  EXPECT_EQ(none.field, 3.0);
  const PlaneFigures noCurrent = figuresOf(*crossingsOf({{1, 0.1f, 0}, {2, 0.3f, 0}}), 1.0f, 0.0);
  EXPECT_FALSE(noCurrent.shaped);
  EXPECT_EQ(noCurrent.crossings, 2);
  EXPECT_EQ(noCurrent.emittance.phasePlane, 0.0);
}

TEST(Figures, BetaGamma) {
  EXPECT_NEAR(betaGamma(510998.95), std::sqrt(3.0), 1e-12);  // gamma = 2
  EXPECT_NEAR(betaGamma(10000.0), 0.1988014, 1e-7);
  EXPECT_NEAR(betaGamma(1.0), std::sqrt(2.0 / 510998.95), 1e-9);
}

}  // namespace
}  // namespace kelm::exporting
