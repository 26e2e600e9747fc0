#include "source/klplot/plotting/axial_frame.h"

#include <gtest/gtest.h>

#include <cmath>

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

}  // namespace
}  // namespace kelm::klplot
