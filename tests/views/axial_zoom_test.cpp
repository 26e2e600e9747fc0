// The axial frame's columns and planes, the zooms built on it and the pointer's read-out.
#include "source/klplot/plotting/axial_zoom.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "source/klplot/plotting/pointer_readout.h"
#include "tests/views/program_thread.h"

namespace kelm::klplot {
namespace {

// The whole gun from 0 to 100 mm over columns 50..950 of a plot 1000 wide, r within +-10 over
// rows 0..425 of 500.
constexpr AxialFrame kWhole{0.0, 100.0, 0.05f, 0.95f, 1000, -10.0, 10.0, 0.15f, 1.0f, 500};
constexpr ZRange kGun{0.0, 100.0};

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

TEST(AxialZoom, WheelKeepsThePointUnderThePointer) {
  struct Row {
    std::int32_t x;
    double factor, zStart, zEnd;
    bool active;
  } rows[] = {
      {500, 0.5, 25.0, 75.0, true},     // the middle stays the middle
      {50, 0.5, 0.0, 50.0, true},       // the left edge stays the left edge
      {950, 0.8, 20.0, 100.0, true},
      {500, 1.25, 0.0, 0.0, false},     // zooming out of the whole gun leaves no zoom
      {500, 1e-9, 49.975, 50.025, true},  // held at the narrowest width, 0.05 mm here
  };
  for (const Row& r : rows) {
    const AxialZoom z = zoomAbout(kWhole, kGun, r.x, 212, r.factor);
    EXPECT_EQ(z.active(), r.active) << r.x << " " << r.factor;
    if (!r.active) continue;
    EXPECT_NEAR(z.zStart, r.zStart, 1e-4) << r.x << " " << r.factor;
    EXPECT_NEAR(z.zEnd, r.zEnd, 1e-4) << r.x << " " << r.factor;
  }
}

TEST(AxialZoom, RectanglesInEitherDirectionAndSlips) {
  struct Row {
    std::int32_t x1, y1, x2, y2;
    double zStart, zEnd, rCentre;
    bool active;
  } rows[] = {
      {140, 0, 320, 425, 10.0, 30.0, 0.0, true},
      {320, 425, 140, 0, 10.0, 30.0, 0.0, true},   // dragged up and to the left
      {140, 0, 320, 212, 10.0, 30.0, 5.0, true},   // the upper half: centred at r = 5
      {300, 10, 301, 400, 0.0, 0.0, 0.0, false},   // a click with a twitch zooms nowhere
      {0, 0, 1000, 425, 0.0, 0.0, 0.0, false},     // beyond the whole gun: no zoom
  };
  for (const Row& r : rows) {
    const AxialZoom z = zoomToRectangle(kWhole, kGun, r.x1, r.y1, r.x2, r.y2);
    EXPECT_EQ(z.active(), r.active) << r.x1 << " " << r.x2;
    if (!r.active) continue;
    EXPECT_NEAR(z.zStart, r.zStart, 1e-6) << r.x1 << " " << r.x2;
    EXPECT_NEAR(z.zEnd, r.zEnd, 1e-6) << r.x1 << " " << r.x2;
    EXPECT_NEAR(z.rCentre, r.rCentre, 0.03) << r.x1 << " " << r.x2;
  }
}

TEST(AxialZoom, HostileRangesAndFramesNeverTrapAndNeverLeaveANarrowerZoom) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  struct Row {
    AxialZoom wanted;
    ZRange whole;
    bool active;
  } rows[] = {
      {{5.0, 5.0, 0.0}, {0.0, 100.0}, true},            // collapsed: widened to 1 micrometre
      {{1e6, 1e6, 0.0}, {0.0, 2e6}, true},              // far out: a thousandth of z
      {{3.4e38, 3.4e38, 0.0}, {-3.4e38, 3.4e38}, false},
      {{-kInf, 5.0, 0.0}, {0.0, 100.0}, false},
      {{kNaN, 5.0, 0.0}, {0.0, 100.0}, false},
      {{1.0, 2.0, kNaN}, {0.0, 100.0}, false},
      {{1.0, 2.0, 0.0}, {kNaN, 100.0}, false},
  };
  for (const Row& r : rows) {
    AxialZoom z;
    kelm::testing::onProgramThread([&] { z = limitedZoom(r.wanted, r.whole); });
    EXPECT_EQ(z.active(), r.active) << r.wanted.zStart;
    if (z.active()) {
      EXPECT_GE(z.zEnd - z.zStart, narrowestZoom(z.zStart, z.zEnd) * 0.999);
    }
  }
  // Frames the mouse may meet: never drawn, drawn at float's ends, with collapsed viewports, or
  // over a span below float's spacing. Each gives finite planes and values.
  const AxialFrame frames[] = {
      {},
      {-3.4e38, 3.4e38, 0.05f, 0.95f, 1000, -3.4e38, 3.4e38, 0.15f, 1.0f, 500},
      {0.0, 100.0, 0.5f, 0.5f, 1000, 5.0, 5.0, 0.5f, 0.5f, 0},
      {0.0, 1e-30, 0.1f, 0.9f, 16, 0.0, 1e-30, 0.1f, 0.9f, 1},
  };
  for (const AxialFrame& f : frames) {
    kelm::testing::onProgramThread([&] {
      for (int x : {-32768, 0, 500, 32767}) {
        EXPECT_TRUE(std::isfinite(f.zAt(x)) && std::isfinite(f.valueAt(x))) << f.zEnd << " " << x;
        (void)f.column(f.zAt(x));
      }
      (void)f.column(1e300);
      for (double factor : {0.8, 1.25, 1e-300}) (void)zoomAbout(f, {-3.4e38, 3.4e38}, 500, 200, factor);
      (void)zoomToRectangle(f, {0.0, 1.0}, -32768, -32768, 32767, 32767);
      (void)pointerReadout(f, 'r', 500, 200);
    });
  }
}

TEST(PointerReadout, ShowsZAndTheValueToATenthOfAPixelInsideThePlotOnly) {
  const AxialFrame field{0.0, 40.0, 0.1f, 0.9f, 1000, -2000.0, 6000.0, 0.15f, 0.9f, 500};
  struct Row {
    const AxialFrame* frame;
    char quantity;
    std::int32_t x, y;
    const char* shown;
  } rows[] = {
      {&kWhole, 'r', 500, 0, "z = 50.00 mm   r = 10.000 mm"},
      {&kWhole, 'r', 140, 424, "z = 10.00 mm   r = -9.953 mm"},
      {&field, 'B', 300, 50, "z = 10.000 mm   B = 6000 Gs"},
      {&kWhole, 'r', 49, 100, ""},   // left of the plot
      {&kWhole, 'r', 500, 426, ""},  // below it, where the z axis is
      {&field, 'B', 950, 100, ""},
  };
  for (const Row& r : rows) EXPECT_EQ(pointerReadout(*r.frame, r.quantity, r.x, r.y), r.shown) << r.x << "," << r.y;
  // Zoomed into a tenth of a millimetre, the read-out shows micrometres.
  const AxialFrame zoomed{30.0, 30.1, 0.05f, 0.95f, 1000, -0.02, 0.02, 0.15f, 1.0f, 500};
  EXPECT_EQ(pointerReadout(zoomed, 'r', 500, 0), "z = 30.05000 mm   r = 0.020000 mm");
}

}  // namespace
}  // namespace kelm::klplot
