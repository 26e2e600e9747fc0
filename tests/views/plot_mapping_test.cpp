#include "source/klplot/plotting/plot_mapping.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

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

}  // namespace
}  // namespace kelm::klplot
