#pragma once
// Canvases for the screen and the printed page that log every call as one line, so that a test
// can compare the exact drawing sequence.

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "source/klplot/plotting/canvas.h"

namespace kelm::klplot::testing {

class CallLog {
 public:
  std::vector<std::string> log;

  // The texts in order, without their quotes.
  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (const auto& s : log)
      if (s.starts_with("text '")) out.push_back(s.substr(6, s.size() - 7));
    return out;
  }
  // The calls of one kind ("line", "colour" ...) with the kind and its blank cut off.
  std::vector<std::string> calls(std::string_view kind) const {
    std::vector<std::string> out;
    for (const auto& s : log)
      if (s.starts_with(kind)) out.push_back(s.substr(std::min(s.size(), kind.size() + 1)));
    return out;
  }

 protected:
  void add(std::string s) { log.push_back(std::move(s)); }
  static std::string xy(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
};

class RecordingCanvas : public Canvas, public CallLog {
 public:
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
};

// A page with a fixed font: every character 10 device units wide, text 20 high.
class RecordingPage : public PageCanvas, public CallLog {
 public:
  static constexpr std::int32_t kCharWidth = 10, kTextHeight = 20;

  void moveTo(std::int16_t x, std::int16_t y) override { add("move " + xy(x, y)); }
  void lineTo(std::int16_t x, std::int16_t y) override { add("line " + xy(x, y)); }
  void drawText(std::string_view text) override { add("text '" + std::string(text) + "'"); }
  std::int32_t textWidth(std::string_view text) const override {
    return kCharWidth * static_cast<std::int32_t>(text.size());
  }
  std::int32_t textHeight() const override { return kTextHeight; }
  std::int32_t setPenWidth(std::int32_t units) override {
    add("pen " + std::to_string(units));
    return std::exchange(pen_, units);
  }

 private:
  std::int32_t pen_ = 1;
};

}  // namespace kelm::klplot::testing
