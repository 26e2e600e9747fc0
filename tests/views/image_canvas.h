#pragma once
// A small in-memory surface: enough drawing (pixels, axis-parallel lines) to check that the
// marker leaves the image as it found it.

#include <vector>

#include "source/klplot/canvas.h"

namespace kelm::klplot::testing {

class ImageCanvas : public Canvas {
 public:
  ImageCanvas(int w, int h) : w_(w), h_(h), pixels_(std::size_t(w) * h, 0xFFFFFF) {}
  const std::vector<std::int32_t>& pixels() const { return pixels_; }

  std::int32_t setDrawColor(std::int32_t rgb) override {
    const std::int32_t previous = colour_;
    colour_ = rgb;
    return previous;
  }
  void moveTo(std::int16_t x, std::int16_t y) override { x_ = x, y_ = y; }
  void lineTo(std::int16_t x, std::int16_t y) override {
    const int dx = x > x_ ? 1 : (x < x_ ? -1 : 0), dy = y > y_ ? 1 : (y < y_ ? -1 : 0);
    for (int px = x_, py = y_;; px += dx, py += dy) {
      put(px, py, colour_);
      if (px == x && py == y) break;
    }
    x_ = x, y_ = y;
  }
  void drawRectangle(int, std::int16_t, std::int16_t, std::int16_t, std::int16_t) override {}
  void setPixel(std::int16_t x, std::int16_t y) override { put(x, y, colour_); }
  std::int32_t getPixelColor(std::int16_t x, std::int16_t y) override {
    return inside(x, y) ? pixels_[index(x, y)] : -1;
  }
  std::int32_t setPixelColor(std::int16_t x, std::int16_t y, std::int32_t rgb) override {
    const std::int32_t previous = getPixelColor(x, y);
    put(x, y, rgb);
    return previous;
  }
  void drawText(std::string_view) override {}
  std::int32_t windowHeight() const override { return h_; }

 private:
  bool inside(int x, int y) const { return x >= 0 && x < w_ && y >= 0 && y < h_; }
  std::size_t index(int x, int y) const { return std::size_t(y) * w_ + x; }
  void put(int x, int y, std::int32_t rgb) {
    if (inside(x, y)) pixels_[index(x, y)] = rgb;
  }
  int w_, h_;
  std::vector<std::int32_t> pixels_;
  std::int32_t colour_ = 0;
  int x_ = 0, y_ = 0;
};

}  // namespace kelm::klplot::testing
