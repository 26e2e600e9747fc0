// Pixel operations and fonts where the pinned example pictures do not reach: drawing off the
// surface, drawing without an active window, and font options that name nothing.
#include <gtest/gtest.h>

#include "window/graphics.h"
#include "window/surface.h"

namespace kelm::window {
namespace {

class Graphics : public ::testing::Test {
 protected:
  void SetUp() override {
    surface.image = QImage(40, 30, QImage::Format_RGB32);
    surface.image.fill(Qt::white);
    makeSurfaceActive(&surface);
  }
  void TearDown() override { makeSurfaceActive(nullptr); }
  int blackPixels() {
    int n = 0;
    for (int y = 0; y < surface.image.height(); ++y)
      for (int x = 0; x < surface.image.width(); ++x)
        n += getPixelColor(static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)) == kBlack;
    return n;
  }
  Surface surface;
};

TEST_F(Graphics, DrawingOffTheSurfaceTouchesOnlyItsVisiblePart) {
  EXPECT_EQ(getPixelColor(40, 0), -1);
  EXPECT_EQ(setPixel(-1, 0), -1);
  EXPECT_EQ(setPixelColor(0, 30, kBlack), -1);
  moveTo(-100, -100);
  ASSERT_NE(lineTo(100, 100), 0);  // the diagonal crosses rows 0 to 29
  EXPECT_EQ(blackPixels(), 30);
  clearWindow(0);
  ASSERT_NE(drawRectangle(kFilled, 1, 1, -1, -1), 0);  // reversed corners, clipped
  EXPECT_EQ(blackPixels(), 4);
  clearWindow(0);
  ASSERT_NE(drawRectangle(kFilled, 32767, 32767, -32768, -32768), 0);  // saturated dots cover it all
  EXPECT_EQ(blackPixels(), 40 * 30);
}

TEST_F(Graphics, NothingHappensWithoutAnActiveWindow) {
  makeSurfaceActive(nullptr);
  EXPECT_EQ(setDrawColor(0), -1);
  EXPECT_EQ(lineTo(1, 1), 0);
  EXPECT_EQ(drawRectangle(kFilled, 0, 0, 1, 1), 0);
  EXPECT_EQ(registerFonts(), -1);
  EXPECT_EQ(selectFont("t'Arial'h19'b"), -1);
}

TEST_F(Graphics, FontOptionsThatNameNothingKeepTheFont) {
  const int count = registerFonts();
  ASSERT_GT(count, 0);
  ASSERT_GT(selectFont("t'Arial'h19'b"), 0);
  const int selected = surface.fontIndex;
  for (const std::string& options : {std::string("n0"), "n" + std::to_string(count + 1), std::string("tArial"),
                                     "t'" + std::string(32, 'x') + "'", std::string("t'No Such Face'h12'")}) {
    EXPECT_EQ(selectFont(options), -1) << options;
    EXPECT_EQ(surface.fontIndex, selected) << options;
  }
}

}  // namespace
}  // namespace kelm::window
