#include "source/klplot/beam_figures.h"
#include "source/klplot/density_histogram.h"

#include "runtime/fp_traps.h"
#include "tests/views/trajectory_store.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

namespace kelm::klplot {
namespace {

using testing::Point;
using testing::withTrajectories;

TEST(BeamFigures, TwoCrossingEmittance) {
  // Radii 1 and 2 mm at z = 10, slopes 0.02 and 0.01, 1 A each.
  auto data = withTrajectories({{{0, 0.8}, {20, 1.2}}, {{0, 1.9}, {20, 2.1}}}, {1.0, 1.0});
  Crossings c;
  findCrossings(*data, 10.0f, c);
  ASSERT_EQ(c.count, 2);
  EXPECT_NEAR(c.radius(1), 1.0f, 1e-6);
  EXPECT_NEAR(c.radius(2), 2.0f, 1e-6);
  EXPECT_NEAR(c.slope(1), 0.02f, 1e-7);
  EXPECT_NEAR(c.slope(2), 0.01f, 1e-7);
  EXPECT_NEAR(c.rMax, 2.0f, 1e-6);
  EXPECT_EQ(c.totalCurrent, 2.0);
  EXPECT_NEAR(c.emittance, 0.0600, 5e-5);
}

TEST(BeamFigures, OnlyFirstCrossingAndEndpointsOnPlane) {
  // Turns back through z = 5 (first crossing at r = 1.5); the second path has a point on it.
  auto data = withTrajectories(
      {{{0, 1}, {10, 2}, {0, 3}}, {{0, 4}, {5, 4.5}, {10, 5}}, {{6, 1}, {9, 1}}},
      {0.5, 0.25, 1.0});
  Crossings c;
  findCrossings(*data, 5.0f, c);
  ASSERT_EQ(c.count, 2);
  EXPECT_FLOAT_EQ(c.radius(1), 1.5f);
  EXPECT_FLOAT_EQ(c.radius(2), 4.5f);
  EXPECT_EQ(c.totalCurrent, 0.75);
  EXPECT_FLOAT_EQ(c.rMax, 4.5f);
}

TEST(BeamFigures, UndefinedFiguresShowZero) {
  struct Case {
    const char* what;
    std::vector<std::vector<Point>> paths;
    std::vector<double> currents;
    int count;
  } cases[] = {
      {"two points on the plane", {{{5, 1}, {5, 2}}}, {1.0}, 1},
      {"all currents zero", {{{0, 1}, {10, 2}}, {{0, 2}, {10, 5}}}, {0.0, 0.0}, 2},
      {"single crossing", {{{0, 1}, {10, 1.3}}}, {2.0}, 1},
      {"no crossing", {{{6, 1}, {9, 2}}, {{1, 1}}}, {1.0, 1.0}, 0},
  };
  for (const Case& k : cases) {
    auto data = withTrajectories(k.paths, k.currents);
    Crossings c;
    // As on the program thread: an invalid operation or a division by zero ends the run.
    std::thread([&] {
      enableFloatingPointTraps([](const char*) { std::abort(); });
      findCrossings(*data, 5.0f, c);
    }).join();
    EXPECT_EQ(c.count, k.count) << k.what;
    EXPECT_EQ(c.emittance, 0.0) << k.what;
    for (int i = 1; i <= c.count; ++i) EXPECT_TRUE(std::isfinite(c.slope(i))) << k.what;
  }
}

}  // namespace
}  // namespace kelm::klplot

namespace kelm::klplot {
namespace {

struct HistogramInput {
  Array1<float, kMaxTrajectories> r, current;
};

TEST(DensityHistogram, BinCountFollowsSpacing) {
  HistogramInput in;
  in.r(1) = 1.9f;
  in.current(1) = 1.0f;
  struct Case {
    int requested, bins, used;
  } cases[] = {{50, 10, 10}, {5, 5, 0}, {1, 10, 10}, {500, 10, 10}};
  for (const Case& c : cases) {
    DensityHistogram out;
    densityHistogram(1, in.r, in.current, 0.2, c.requested, OuterShares::kCountInEdgeBin, out);
    EXPECT_EQ(out.bins, c.bins) << c.requested;
    EXPECT_EQ(out.divisionsUsed, c.used) << c.requested;
    EXPECT_NEAR(out.rMax, 2.0, 1e-6);
  }
}

TEST(DensityHistogram, SharesBeyondTheLastBinCountedOnScreenDroppedInPrint) {
  // Spacing 4, crossings at 0 and 10 mm, 1 A each: rmax 12, 3 bins. The outer crossing's
  // upper share (0.125 A) lands two bins past the last: the screen counts it in bin 3, the
  // printed page leaves it out; nothing is stored outside the bins either way.
  HistogramInput in;
  in.r(2) = 10.0f;
  in.current(1) = in.current(2) = 1.0f;
  const double inversePi = 0.31830989161357204;
  for (auto [outer, outerCurrent] : {std::pair{OuterShares::kCountInEdgeBin, 1.0},
                                     std::pair{OuterShares::kDrop, 0.875}}) {
    DensityHistogram out;
    densityHistogram(2, in.r, in.current, 4.0, 10, outer, out);
    ASSERT_EQ(out.bins, 3);
    EXPECT_NEAR(out.density(1), 0.0, 1e-12);
    EXPECT_NEAR(out.density(2), 9.0 / (3 * 144.0) * inversePi, 1e-9);
    EXPECT_NEAR(out.density(3), outerCurrent * 9.0 / (5 * 144.0) * inversePi, 1e-9);
  }
}

TEST(DensityHistogram, NoSpacingOneBinPerCrossingAndBoundaryGoesUp) {
  HistogramInput in;
  in.r(1) = 0.5f;  // exactly on the boundary of bins 1 and 2 for 2 bins over 1 mm
  in.r(2) = 1.0f;  // the outermost falls into bin 3 and is folded into bin 2
  in.current(1) = 2.0f;
  in.current(2) = 1.0f;
  DensityHistogram out;
  densityHistogram(2, in.r, in.current, 0.0, 2, OuterShares::kCountInEdgeBin, out);
  ASSERT_EQ(out.bins, 2);
  EXPECT_NEAR(out.density(1), 0.0, 1e-12);
  EXPECT_NEAR(out.density(2), 3.0 * 4.0 / 3.0 * 0.31830989161357204, 1e-9);
}

}  // namespace
}  // namespace kelm::klplot
