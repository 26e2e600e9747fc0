// The crossings of a plane and their figures, the density histogram, and the sweep that finds
// the crossings of many planes at once.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>
#include <vector>

#include "source/klplot/figures/beam_figures.h"
#include "source/klplot/figures/crossing_sweep.h"
#include "source/klplot/figures/density_histogram.h"
#include "tests/views/program_thread.h"
#include "tests/views/trajectory_store.h"

namespace kelm::klplot {
namespace {

using testing::Point;
using testing::withTrajectories;

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
      // 1e30 - 1e30 + 1e-300: sqrt(spp srr - srp^2) of about 1e22 over 1e-300 overflows.
      {"currents that cancel to almost nothing",
       {{{0, 0.5}, {10, 1}}, {{0, 3}, {10, 6}}, {{0, 1}, {10, 1}}},
       {1e30, -1e30, 1e-300},
       3},
  };
  for (const Case& k : cases) {
    auto data = withTrajectories(k.paths, k.currents);
    Crossings c;
    kelm::testing::onProgramThread([&] { findCrossings(*data, 5.0f, c); });
    EXPECT_EQ(c.count, k.count) << k.what;
    EXPECT_EQ(c.emittance, 0.0) << k.what;
    for (int i = 1; i <= c.count; ++i) EXPECT_TRUE(std::isfinite(c.slope(i))) << k.what;
  }
}

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

// A crossing's current is shared between the two rings either side of its radius. A share
// beyond the last ring is counted in it on screen and dropped in print: with spacing 4 and
// crossings at 0 and 10 mm (rmax 12, 3 rings) the outer one's upper 0.125 A lies two rings out.
TEST(DensityHistogram, CurrentIsSharedBetweenNeighbouringRingsAndBeyondTheLastOnScreenOnly) {
  struct Case {
    float r1, r2, current2;  // the first crossing carries 1 A; the second sets rmax
    double spacing;
    OuterShares outer;
    int bins;
    std::vector<std::pair<int, double>> rings;  // ring, current
  } cases[] = {
      {2.7f, 9.5f, 0.0f, 1.0, OuterShares::kDrop, 10, {{3, 0.8}, {4, 0.2}}},
      {2.2f, 9.5f, 0.0f, 1.0, OuterShares::kDrop, 10, {{2, 0.3}, {3, 0.7}}},
      {2.5f, 9.75f, 0.0f, 0.5, OuterShares::kDrop, 10, {{3, 1.0}}},
      {0.0f, 10.0f, 1.0f, 4.0, OuterShares::kCountInEdgeBin, 3, {{1, 0.0}, {2, 1.0}, {3, 1.0}}},
      {0.0f, 10.0f, 1.0f, 4.0, OuterShares::kDrop, 3, {{1, 0.0}, {2, 1.0}, {3, 0.875}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.r1 << " spacing " << c.spacing << " outer " << int(c.outer));
    HistogramInput in;
    in.r(1) = c.r1, in.r(2) = c.r2;
    in.current(1) = 1.0f, in.current(2) = c.current2;
    DensityHistogram h;
    densityHistogram(2, in.r, in.current, c.spacing, 10, c.outer, h);
    ASSERT_EQ(h.bins, c.bins);
    const double width = h.rMax / h.bins;
    for (auto [ring, current] : c.rings)
      EXPECT_NEAR(h.density(ring) * (2 * ring - 1) * width * width * std::numbers::pi, current, 1e-5) << ring;
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

// Bit for bit, so that values that are not numbers compare too.
template <class T>
bool same(T a, T b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

void expectSweepMatchesEachPlane(const ProjectData& data, const std::vector<float>& planes) {
  std::vector<std::size_t> visited;
  auto alone = std::make_unique<Crossings>();
  sweepCrossings(data, planes, [&](std::size_t j, const Crossings& swept) {
    visited.push_back(j);
    findCrossings(data, planes[j], *alone);
    SCOPED_TRACE(::testing::Message() << "z " << planes[j]);
    ASSERT_EQ(swept.count, alone->count);
    for (int c = 1; c <= alone->count; ++c) {
      ASSERT_EQ(swept.trajectory(c), alone->trajectory(c)) << "crossing " << c;
      ASSERT_TRUE(same(swept.radius(c), alone->radius(c))) << "crossing " << c;
      ASSERT_TRUE(same(swept.slope(c), alone->slope(c))) << "crossing " << c;
    }
    EXPECT_TRUE(same(swept.rMax, alone->rMax));
    EXPECT_TRUE(same(swept.totalCurrent, alone->totalCurrent));
    EXPECT_TRUE(same(swept.emittance, alone->emittance));
  });
  ASSERT_EQ(visited.size(), planes.size());
  for (std::size_t j = 0; j < visited.size(); ++j) EXPECT_EQ(visited[j], j);
}

TEST(CrossingSweep, EveryPlaneGetsWhatTheViewFindsAlone) {
  // Paths that turn back, run backwards, stand still on a plane, start on one, hold one point
  // only, never reach the planes, or hold a z that is not a number.
  auto data = withTrajectories({{{0, 1}, {10, 2}, {0, 3}, {10, 4}},
                                {{10, 5}, {5, 4.5}, {5, 4.25}, {2.5, 4}},
                                {{2.5, 1}, {2.5, 1.5}, {7.5, 2}},
                                {{5, 0.5}},
                                {{20, 1}, {30, 2}},
                                {{-1, 0.1}, {11, 0.3}},
                                // A z that is not a number meets every plane, below the other end too.
                                {{5, 0.2}, {std::nan(""), 0.3}}},
                               {0.5, 0.25, 1.0, 2.0, 1.0, 0.125, 0.5});
  std::vector<float> planes;
  for (int j = 0; j <= 60; ++j) planes.push_back(float(-2.5 + 0.25 * j));  // 2.5, 5, 7.5 among them
  expectSweepMatchesEachPlane(*data, planes);
  expectSweepMatchesEachPlane(*data, {5.0f, 5.0f});  // the same plane twice
  expectSweepMatchesEachPlane(*data, {});
}

}  // namespace
}  // namespace kelm::klplot
