#include "source/klplot/plotting/axial_frame.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/views/program_thread.h"

namespace kelm::klplot {
namespace {

TEST(AxialFrame, ColumnsAndPlanesOfTheDrawnFrames) {
  struct Row {
    const char* what;
    AxialFrame frame;
    double z;
    int column;
  } rows[] = {
      // 0.95 - 0.05 is a hair below 0.9 in double, so the exact middle truncates to 499.
      {"beam middle", {0.0, 500.0, 0.05f, 0.95f, 1000}, 250.0, 499},
      {"beam left edge", {-20.0, 100.0, 0.05f, 0.95f, 1000}, -20.0, 50},
      // Truncated toward zero, as every pixel; the float fractions lie a hair below.
      {"beam right edge", {-20.0, 100.0, 0.05f, 0.95f, 1000}, 100.0, 949},
      {"field quarter", {0.0, 100.0, 0.1f, 0.9f, 1000}, 25.0, 299},
      {"left of the plot", {0.0, 100.0, 0.1f, 0.9f, 1000}, -25.0, -99},
      // A plane far beyond a tiny span saturates instead of overflowing.
      {"far beyond", {0.0, 1e-30, 0.1f, 0.9f, 1000}, 1e300, 32767},
      // An empty z span must not divide by zero: everything lands on the left edge.
      {"empty span", {7.0, 7.0, 0.1f, 0.9f, 1000}, 7.0, 100},
      {"no width", {0.0, 100.0, 0.1f, 0.9f, 0}, 50.0, 0},
  };
  for (const Row& r : rows) EXPECT_EQ(r.frame.column(r.z), r.column) << r.what;
}

TEST(AxialFrame, EveryColumnOfThePlotMapsBackToItself) {
  // The mouse inverts the drawing's mapping: a click on column x puts the marker on x again,
  // or on the column before when single precision rounds the plane down.
  for (const AxialFrame& f : {AxialFrame{0.0, 40.0, 0.05f, 0.95f, 1000},
                              AxialFrame{-20.0, 15.0, 0.05f, 0.6f, 1350},
                              AxialFrame{100.0, 100.5, 0.1f, 0.9f, 1904},
                              AxialFrame{-3.1, -3.0, 0.05f, 0.95f, 784}}) {
    const int first = int(std::ceil(double(f.left) * f.plotWidth));
    const int last = int(std::floor(double(f.right) * f.plotWidth));
    for (int x = first; x <= last; ++x) {
      const int back = f.column(f.zAt(x));
      EXPECT_LE(std::abs(back - x), 1) << f.zStart << " column " << x;
    }
  }
}

TEST(AxialFrame, ValuesUpThePlot) {
  // A Beam frame: r from -10 to 10 over fractions 0.15 to 1 of 500 rows.
  const AxialFrame f{0.0, 40.0, 0.05f, 0.95f, 1000, -10.0, 10.0, 0.15f, 1.0f, 500};
  struct Row {
    int y;
    double value;
  } rows[] = {{0, 10.0}, {425, -10.0}, {212, 0.0235}, {500, -13.5294}};
  for (const Row& r : rows) EXPECT_NEAR(f.valueAt(r.y), r.value, 1e-3) << r.y;
}

TEST(AxialFrame, DegenerateFramesGiveFiniteAnswersWithoutATrap) {
  const AxialFrame frames[] = {
      {},                                                          // never drawn
      {-3.4e38, 3.4e38, 0.1f, 0.9f, 1000, -3.4e38, 3.4e38, 0.1f, 0.9f, 500},
      {0.0, 100.0, 0.5f, 0.5f, 1000, 5.0, 5.0, 0.5f, 0.5f, 0},  // collapsed viewports
      {0.0, 1e-30, 0.1f, 0.9f, 16, 0.0, 1e-30, 0.1f, 0.9f, 1},
  };
  for (const AxialFrame& f : frames) {
    kelm::testing::onProgramThread([&] {
      for (int x : {-32768, 0, 500, 32767}) {
        EXPECT_TRUE(std::isfinite(f.zAt(x))) << f.zEnd << " " << x;
        EXPECT_TRUE(std::isfinite(f.valueAt(x))) << f.zEnd << " " << x;
        (void)f.column(f.zAt(x));
      }
      (void)f.column(1e300);
    });
  }
}

}  // namespace
}  // namespace kelm::klplot
