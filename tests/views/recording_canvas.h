#pragma once
// Logs every call as one line so a test can compare the exact drawing sequence.

#include <string>
#include <vector>

#include "source/klplot/canvas.h"

namespace kelm::klplot::testing {

class RecordingCanvas : public Canvas {
 public:
  std::vector<std::string> log;
  std::int32_t colour = 0;

  std::int32_t setDrawColor(std::int32_t rgb) override {
    add("colour " + std::to_string(rgb));
    const std::int32_t previous = colour;
    colour = rgb;
    return previous;
  }
  void moveTo(std::int16_t x, std::int16_t y) override { add("move " + xy(x, y)); }
  void lineTo(std::int16_t x, std::int16_t y) override { add("line " + xy(x, y)); }
  void drawRectangle(int mode, std::int16_t x1, std::int16_t y1, std::int16_t x2,
                     std::int16_t y2) override {
    add("rect " + std::to_string(mode) + " " + xy(x1, y1) + " " + xy(x2, y2));
  }
  void setPixel(std::int16_t x, std::int16_t y) override { add("pixel " + xy(x, y)); }
  std::int32_t getPixelColor(std::int16_t, std::int16_t) override { return 0xFFFFFF; }
  std::int32_t setPixelColor(std::int16_t x, std::int16_t y, std::int32_t rgb) override {
    add("set " + xy(x, y) + " " + std::to_string(rgb));
    return 0xFFFFFF;
  }
  void drawText(std::string_view text) override { add("text '" + std::string(text) + "'"); }
  std::int32_t windowHeight() const override { return 100; }

 private:
  void add(std::string s) { log.push_back(std::move(s)); }
  static std::string xy(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
};

}  // namespace kelm::klplot::testing
