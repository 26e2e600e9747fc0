// Pixel operations and fonts on an off-screen surface.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>

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
  int countColour(std::int32_t rgb) {
    int n = 0;
    for (int y = 0; y < surface.image.height(); ++y)
      for (int x = 0; x < surface.image.width(); ++x) n += getPixelColor(x, y) == rgb;
    return n;
  }
  Surface surface;
};

TEST_F(Graphics, ColoursKeepRedInTheLowByte) {
  EXPECT_EQ(setDrawColor(0x0000FF), 0x000000);
  EXPECT_EQ(setPixel(3, 4), 0xFFFFFF);
  EXPECT_EQ(surface.image.pixel(3, 4), qRgb(255, 0, 0));
  EXPECT_EQ(getPixelColor(3, 4), 0x0000FF);
  EXPECT_EQ(setPixelColor(3, 4, 0xFF0000), 0x0000FF);
  EXPECT_EQ(surface.image.pixel(3, 4), qRgb(0, 0, 255));
  EXPECT_EQ(getPixelColor(40, 0), -1);
  EXPECT_EQ(setPixel(-1, 0), -1);
  EXPECT_EQ(setBackgroundColor(0x00C000), 0xFFFFFF);
  EXPECT_EQ(clearWindow(0), 1);
  EXPECT_EQ(countColour(0x00C000), 40 * 30);
}

TEST_F(Graphics, LinesAndRectanglesCoverTheirEndsAndCorners) {
  PixelPoint previous;
  moveTo(2, 2);
  moveTo(5, 1, &previous);
  EXPECT_EQ(previous.x, 2);
  EXPECT_EQ(previous.y, 2);
  ASSERT_NE(lineTo(5, 29), 0);  // a marker column from top row to bottom row
  EXPECT_EQ(countColour(0x000000), 29);
  EXPECT_EQ(getPixelColor(5, 29), 0x000000);
  clearWindow(0);

  ASSERT_NE(drawRectangle(kFilled, 12, 9, 10, 7), 0);  // reversed corners, both inclusive
  EXPECT_EQ(countColour(0x000000), 9);
  clearWindow(0);
  ASSERT_NE(drawRectangle(kOutline, 10, 7, 14, 11), 0);
  EXPECT_EQ(countColour(0x000000), 16);
  EXPECT_EQ(getPixelColor(12, 9), 0xFFFFFF);
  clearWindow(0);
  ASSERT_NE(drawRectangle(kFilled, -1, -1, 1, 1), 0);  // clipped, visible part drawn
  EXPECT_EQ(countColour(0x000000), 4);
}

TEST_F(Graphics, NothingHappensWithoutAnActiveWindow) {
  makeSurfaceActive(nullptr);
  EXPECT_EQ(setDrawColor(0), -1);
  EXPECT_EQ(lineTo(1, 1), 0);
  EXPECT_EQ(drawRectangle(kFilled, 0, 0, 1, 1), 0);
  EXPECT_EQ(registerFonts(), -1);
  EXPECT_EQ(selectFont("t'Arial'h19'b"), -1);
}

TEST_F(Graphics, TheProgramsFontOptionsGiveACellOfTheRequestedHeight) {
  surface.image = QImage(400, 100, QImage::Format_RGB32);
  surface.image.fill(Qt::white);
  const int count = registerFonts();
  ASSERT_GT(count, 0);
  const int number = selectFont("t'Arial'h19'b           ");
  ASSERT_GT(number, 0);
  EXPECT_EQ(QFontInfo(surface.font).family(), "Liberation Sans");  // stands in for Arial
  EXPECT_LE(QFontMetrics(surface.font).height(), 19);
  EXPECT_GE(QFontMetrics(surface.font).height(), 15);
  EXPECT_EQ(selectFont("t'Helv'h19"), number);  // the old name of the same face
  EXPECT_EQ(selectFont("n1"), 1);
  EXPECT_EQ(selectFont("n0"), -1);
  EXPECT_EQ(selectFont("n" + std::to_string(count + 1)), -1);
  EXPECT_EQ(selectFont("tArial"), -1);
  EXPECT_EQ(selectFont("t'" + std::string(32, 'x') + "'"), -1);
  EXPECT_EQ(selectFont("t'No Such Face'h12'"), -1);
  EXPECT_EQ(surface.fontIndex, 0);  // a failed selection keeps the font

  selectFont("t'Arial'h19'b");
  moveTo(0, 0);
  drawText("ab  ");
  const int advance = QFontMetrics(surface.font).horizontalAdvance("ab  ");
  PixelPoint at;
  moveTo(0, 0, &at);
  EXPECT_EQ(at.x, advance);
  EXPECT_GT(advance, QFontMetrics(surface.font).horizontalAdvance("ab"));
}

}  // namespace
}  // namespace kelm::window
