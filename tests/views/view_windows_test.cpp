#include <gtest/gtest.h>

#include "image_canvas.h"
#include "source/klplot/view_layout.h"
#include "source/klplot/z_marker.h"

namespace kelm::klplot {
namespace {

void paintPattern(testing::ImageCanvas& c, int w, int h) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) c.setPixelColor(std::int16_t(x), std::int16_t(y), x * 7 + y * 131);
}

TEST(ZMarker, DrawMoveEraseRestoresImage) {
  // 1500 rows: taller than a fixed 1024-colour buffer could hold.
  for (int h : {5, 1500}) {
    testing::ImageCanvas canvas(12, h);
    paintPattern(canvas, 12, h);
    const std::vector<std::int32_t> before = canvas.pixels();
    MarkerSave save;
    drawMarkerLine(canvas, save, 3);
    for (int y = 0; y < h; ++y) ASSERT_EQ(canvas.getPixelColor(3, std::int16_t(y)), 0) << y;
    EXPECT_EQ(canvas.getPixelColor(4, 0), 4 * 7);
    eraseMarkerLine(canvas, save);
    drawMarkerLine(canvas, save, 9);
    EXPECT_EQ(canvas.getPixelColor(3, std::int16_t(h - 1)), 3 * 7 + (h - 1) * 131);
    eraseMarkerLine(canvas, save);
    EXPECT_EQ(canvas.pixels(), before) << "height " << h;
  }
}

TEST(ZMarker, EraseWithoutDrawAndOffSurfaceColumnChangeNothing) {
  testing::ImageCanvas canvas(6, 4);
  paintPattern(canvas, 6, 4);
  const std::vector<std::int32_t> before = canvas.pixels();
  MarkerSave save;
  eraseMarkerLine(canvas, save);
  drawMarkerLine(canvas, save, 70000);  // saturates to a column beyond the surface
  eraseMarkerLine(canvas, save);
  eraseMarkerLine(canvas, save);
  EXPECT_EQ(canvas.pixels(), before);
}

TEST(ViewLayout, MarkerColumn) {
  // Middle of 0..500 over 0.25..0.75: fraction 0.5 of 1000 pixels.
  EXPECT_EQ(markerColumn(250.0, 0.0, 500.0, 0.25, 0.75, 1016), 500);
  // 0.95 - 0.05 is a hair below 0.9 in double, so the exact middle truncates to 499.
  EXPECT_EQ(markerColumn(250.0, 0.0, 500.0, 0.05, 0.95, 1016), 499);
  // 100 of 0..400 over 0.1..0.9: 0.25 * 0.8 + 0.1 = 0.3 -> 0.3 * 984 = 295.2 -> 295.
  EXPECT_EQ(markerColumn(100.0, 0.0, 400.0, 0.1, 0.9, 1000), 295);
  // An empty z span must not divide by zero.
  EXPECT_EQ(markerColumn(7.0, 7.0, 7.0, 0.1, 0.9, 1016), 100);
}

}  // namespace
}  // namespace kelm::klplot
