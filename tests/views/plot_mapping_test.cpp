// The data-to-pixel mapping, and the steps and label formats of the axes drawn over it.
#include "source/klplot/plotting/plot_mapping.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "source/klplot/plotting/nice_step.h"
#include "source/klplot/plotting/tick_label.h"
#include "tests/views/recording_canvas.h"
#include "tests/views/program_thread.h"

namespace kelm::klplot {
namespace {

using Log = std::vector<std::string>;

PlotMapping unitMapping(int w, int h) {
  PlotMapping m;
  m.setDeviceSize(w, h);
  m.setViewport(0, 0, 1, 0, 1);
  m.setWindow(1, 0.0, 1.0, 0.0, 1.0);
  m.setViewport(1, 0.0, 1.0, 0.0, 1.0);
  return m;
}

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
  const PlotMapping m = unitMapping(500, 300);
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
      {0.037, StepVariant::kPanel, 0.5, 2},
      {5.0, StepVariant::kPanel, 0.5, 0},
      {5.01, StepVariant::kPanel, 1.0, 0},
      {10.0, StepVariant::kPanel, 0.25, -1},
      {1.0, StepVariant::kPanel, 0.25, 0},
      {20.1, StepVariant::kZExtents, 0.5, 1},
      {0.3, StepVariant::kZExtents, 0.25, 0},
      {2.0, StepVariant::kField, 0.5, 0},
      {4.99, StepVariant::kField, 0.5, 0},
      {500.0, StepVariant::kField, 1.0, 2},
      // A span that is no positive number must not loop.
      {0.0, StepVariant::kPanel, 1.0, 0},
      {-3.0, StepVariant::kPanel, 1.0, 0},
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

}  // namespace
}  // namespace kelm::klplot
