// The z-marker drawn over a window and taken away again.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "source/klplot/views/view_layout.h"
#include "source/klplot/views/z_marker.h"
#include "tests/views/recording_canvas.h"

namespace kelm::klplot {
namespace {

using Log = std::vector<std::string>;

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
