// The data-to-pixel mapping, the steps and label formats of the axes drawn over it, the axial
// frame's columns and planes, the zooms built on it and the pointer's read-out, and the z-marker
// drawn over a window and taken away again.
#include "source/klplot/plotting/plot_mapping.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "source/klplot/plotting/axial_zoom.h"
#include "source/klplot/plotting/nice_step.h"
#include "source/klplot/plotting/pointer_readout.h"
#include "source/klplot/plotting/tick_label.h"
#include "source/klplot/views/z_marker.h"
#include "tests/views/recording_canvas.h"
#include "tests/views/program_thread.h"

namespace kelm::klplot {
namespace {

using Log = std::vector<std::string>;

TEST(PixelConversion, TruncatesTowardZeroAndSaturates) {
  struct Case {
    double in;
    int out;
  } cases[] = {
      {499.99, 499},   {-0.5, 0},        {-1.7, -1},        {32767.0, 32767},
      {40000.0, 32767}, {1e12, 32767},  {-40000.0, -32768}, {-1e12, -32768},
      {std::numeric_limits<double>::infinity(), 32767},
  };
  for (const Case& c : cases) EXPECT_EQ(toPixel(c.in), c.out) << c.in;
}

TEST(PlotMapping, MapsEdgesByTruncationAndDrawsNoEmptyPolyline) {
  PlotMapping m;
  m.setDeviceSize(500, 300);
  m.setViewport(0, 0, 1, 0, 1);
  m.setWindow(1, 0.0, 1.0, 0.0, 1.0);
  m.setViewport(1, 0.0, 1.0, 0.0, 1.0);
  EXPECT_EQ(m.map(0.999, 0.5).x, 499);
  EXPECT_EQ(m.map(1.0, 0.5).x, 500);
  EXPECT_EQ(m.map(0.5, 1.0).y, 0);
  EXPECT_EQ(m.map(0.5, 0.0).y, 300);
  // An empty point list may have no first element to move to.
  const float x[1] = {0.0f}, y[1] = {0.0f};
  for (int n : {0, -4}) {
    testing::RecordingCanvas canvas;
    m.polyline(canvas, n, x, y);
    EXPECT_EQ(canvas.log, Log{}) << n;
  }
}

// Windows that data can make: beyond single precision, or collapsed by rounding to it. With
// the program thread's traps on, each is stored and mapped without a fault, ordered as given.
TEST(PlotMapping, HostileWindowsAreStoredAndMappedWithoutATrap) {
  struct Case {
    const char* what;
    double lo, hi;
    double probe;   // a value inside the range as given
    int column;     // where the probe lands on a surface 1000 wide
  } cases[] = {
      {"field of one sample 1e10 G", 1e10, 1e10 + 6.0, 1e10, 500},
      // Saturated to 3e38, then widened below it.
      {"both ends beyond single precision", 1e39, 2e39, 3e38, 1000},
      {"the largest float twice", 3.4e38, 3.4e38, 3e38, 1000},
      {"an empty range at zero", 0.0, 0.0, 0.0, 500},
      {"a range wider than single precision", -1e39, 1e39, 0.0, 500},
      {"mesh scale 1e-30", 0.0, 1e-30, 1e-30, 1000},
  };
  for (const Case& c : cases) {
    Pixel inside{}, far{};
    PlotMapping m;
    kelm::testing::onProgramThread([&] {
      m.setDeviceSize(1000, 500);
      m.setWindow(1, c.lo, c.hi, c.lo, c.hi);
      m.setViewport(1, 0.0, 1.0, 0.0, 1.0);
      inside = m.map(c.probe, c.probe);
      far = m.map(1e300, -1e300);
    });
    EXPECT_LT(m.wx1, m.wx2) << c.what;
    EXPECT_LT(m.wy1, m.wy2) << c.what;
    EXPECT_NEAR(inside.x, c.column, 3) << c.what;  // a few float steps across the range
    EXPECT_EQ(far.x, 32767) << c.what;
    EXPECT_EQ(far.y, 32767) << c.what;
  }
}

TEST(NiceStep, VariantsBoundariesAndSpansThatAreNoPositiveNumber) {
  struct Case {
    double span;
    StepVariant variant;
    double unit;
    int exponent;
  } cases[] = {
      {0.037, StepVariant::kPanel, 0.5, 2},     {5.0, StepVariant::kPanel, 0.5, 0},
      {5.01, StepVariant::kPanel, 1.0, 0},      {10.0, StepVariant::kPanel, 0.25, -1},
      {1.0, StepVariant::kPanel, 0.25, 0},      {20.1, StepVariant::kZExtents, 0.5, 1},
      {0.3, StepVariant::kZExtents, 0.25, 0},   {2.0, StepVariant::kField, 0.5, 0},
      {4.99, StepVariant::kField, 0.5, 0},      {500.0, StepVariant::kField, 1.0, 2},
      // A span that is no positive number must not loop.
      {0.0, StepVariant::kPanel, 1.0, 0},       {-3.0, StepVariant::kPanel, 1.0, 0},
      {1e308 * 10.0, StepVariant::kPanel, 1.0, 0},
  };
  for (const Case& c : cases) {
    const NiceStep s = niceStep(c.span, c.variant);
    EXPECT_EQ(s.unit, c.unit) << c.span << " variant " << int(c.variant);
    EXPECT_EQ(s.exponent, c.exponent) << c.span << " variant " << int(c.variant);
  }
}

TEST(TickLabel, FormatFollowsMagnitudeAndWidth) {
  struct Case {
    float v;
    int w;
    std::string_view format;
  } cases[] = {
      // Whole numbers whatever the width; otherwise the fewest decimals, by the width's column.
      {12.0f, 5, "(I^)"},     {-40.0f, 6, "(I^)"},   {7.0f, 7, "(I^)"},     {2.5f, 5, "(F5.1)"},
      {-0.25f, 6, "(F6.2)"},  {0.125f, 8, "(F8.3)"}, {0.7f, 8, "(E8.2)"},   {2.5f, 7, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(tickLabelFormat(c.v, c.w), c.format) << c.v << " width " << c.w;
}

// The whole gun from 0 to 100 mm over columns 50..950 of a plot 1000 wide, r within +-10 over
// rows 0..425 of 500; and a tall gun that fills the height and only 40 % of the width. The
// wheel is tested on the drawn examples.
constexpr AxialFrame kWhole{0.0, 100.0, 0.05f, 0.95f, 1000, -10.0, 10.0, 0.15f, 1.0f, 500};
constexpr AxialFrame kTall{0.0, 100.0, 0.05f, 0.45f, 1000, -50.0, 50.0, 0.15f, 1.0f, 500};

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

// A rectangle is shown whole and centred whichever way it was dragged; one that is taller than
// the plot's shape widens the z range instead of losing its top and bottom.
TEST(AxialZoom, RectanglesShowAllTheyCoverOrAreSlips) {
  struct Row {
    const AxialFrame* drawn;
    std::int32_t x1, y1, x2, y2;
    bool active;
  } rows[] = {
      {&kWhole, 400, 100, 600, 300, true}, {&kWhole, 600, 300, 400, 100, true},
      {&kWhole, 400, 0, 700, 212, true},   {&kTall, 200, 150, 260, 260, true},
      {&kWhole, 300, 10, 301, 400, false},  // a click with a twitch zooms nowhere
      {&kWhole, 0, 0, 1000, 425, false},    // beyond the whole gun: no zoom
  };
  for (const Row& r : rows) {
    const AxialZoom z = zoomToRectangle(*r.drawn, ZoomWindow::beam, zoomExtent(*r.drawn), r.x1, r.y1, r.x2, r.y2);
    EXPECT_EQ(z.active(), r.active) << r.x1 << " " << r.x2;
    if (!r.active) continue;
    const AxialFrame after = zoomedFrame(1000, 500, z);
    const double za = r.drawn->zAt(r.x1), zb = r.drawn->zAt(r.x2);
    const double ra = r.drawn->valueAt(r.y1), rb = r.drawn->valueAt(r.y2);
    EXPECT_NEAR(0.5 * (z.zStart + z.zEnd), 0.5 * (za + zb), 1e-4) << r.x1;
    EXPECT_NEAR(z.rCentre, 0.5 * (ra + rb), 1e-9) << r.x1;
    const bool fillsAcross = std::fabs(std::fabs(zb - za) - (z.zEnd - z.zStart)) < 1e-4;
    const bool fillsUp = std::fabs(std::fabs(rb - ra) - (after.valueHigh - after.valueLow)) < 1e-9;
    EXPECT_TRUE(fillsAcross || fillsUp) << r.x1;
    EXPECT_LE(std::fabs(rb - ra), after.valueHigh - after.valueLow + 1e-9) << r.x1;
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
      {{90.0, 140.0, 0.0}, {0.0, 100.0}, true},         // moved back inside, as wide
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
      EXPECT_TRUE(z.zStart >= r.whole.start && z.zEnd <= r.whole.end) << r.wanted.zStart;
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
      for (double factor : {0.8, 1.25, 1e-300}) (void)zoomAbout(f, ZoomWindow::beam, {-3.4e38, 3.4e38}, 500, 200, factor);
      (void)zoomToRectangle(f, ZoomWindow::beam, {0.0, 1.0}, -32768, -32768, 32767, 32767);
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

// A surface 12 pixels wide whose pixels tell where they are, and -1 beyond it.
class PatternCanvas : public testing::RecordingCanvas {
 public:
  explicit PatternCanvas(int height) : height_(height) {}
  std::int32_t getPixelColor(std::int16_t x, std::int16_t y) override {
    return x >= 0 && x < 12 && y >= 0 && y < height_ ? x * 7 + y * 131 : -1;
  }
  std::int32_t windowHeight() const override { return height_; }

 private:
  int height_;
};

TEST(ZMarker, EraseRestoresWhatTheMarkerCoveredAndNothingElse) {
  // 1500 rows: taller than a fixed 1024-colour buffer could hold.
  for (int h : {5, 1500}) {
    PatternCanvas canvas(h);
    MarkerSave save;
    eraseMarkerLine(canvas, save);  // nothing drawn yet
    EXPECT_TRUE(canvas.log.empty());
    drawMarkerLine(canvas, save, 3);
    EXPECT_EQ(canvas.log, (Log{"colour 0", "move 3,0", "line 3," + std::to_string(h - 1)}));
    canvas.log.clear();
    eraseMarkerLine(canvas, save);
    ASSERT_EQ(canvas.log.size(), std::size_t(h));
    for (int y = 0; y < h; ++y)
      ASSERT_EQ(canvas.log[std::size_t(y)], "set 3," + std::to_string(y) + " " + std::to_string(3 * 7 + y * 131));
    canvas.log.clear();
    eraseMarkerLine(canvas, save);  // once erased, a marker is gone
    EXPECT_TRUE(canvas.log.empty());
    drawMarkerLine(canvas, save, 70000);  // saturates to a column beyond the surface
    canvas.log.clear();
    eraseMarkerLine(canvas, save);
    EXPECT_TRUE(canvas.log.empty());
  }
}

}  // namespace
}  // namespace kelm::klplot
