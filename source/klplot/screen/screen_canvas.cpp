#include "source/klplot/screen/screen_surface.h"
#include "window/graphics.h"

namespace kelm::klplot {
namespace {

class ScreenCanvas final : public Canvas {
 public:
  std::int32_t setDrawColor(std::int32_t rgb) override { return window::setDrawColor(rgb); }
  void moveTo(std::int16_t x, std::int16_t y) override { window::moveTo(x, y); }
  void lineTo(std::int16_t x, std::int16_t y) override { window::lineTo(x, y); }
  void drawRectangle(int mode, std::int16_t x1, std::int16_t y1, std::int16_t x2,
                     std::int16_t y2) override {
    window::drawRectangle(mode, x1, y1, x2, y2);
  }
  void setPixel(std::int16_t x, std::int16_t y) override { window::setPixel(x, y); }
  std::int32_t getPixelColor(std::int16_t x, std::int16_t y) override {
    return window::getPixelColor(x, y);
  }
  std::int32_t setPixelColor(std::int16_t x, std::int16_t y, std::int32_t rgb) override {
    return window::setPixelColor(x, y, rgb);
  }
  void drawText(std::string_view text) override { window::drawText(text); }
  std::int32_t windowHeight() const override { return window::surfaceHeight(); }
};

}  // namespace

Canvas& screenCanvas() {
  static ScreenCanvas canvas;
  return canvas;
}

}  // namespace kelm::klplot
