#pragma once
// A page canvas that logs every call as one line, with a fixed font: every character 10
// device units wide, text 20 high.

#include <string>
#include <vector>

#include "source/klplot/canvas.h"

namespace kelm::klplot::testing {

class RecordingPage : public PageCanvas {
 public:
  static constexpr std::int32_t kCharWidth = 10, kTextHeight = 20;
  std::vector<std::string> log;

  void moveTo(std::int16_t x, std::int16_t y) override { add("move " + xy(x, y)); }
  void lineTo(std::int16_t x, std::int16_t y) override { add("line " + xy(x, y)); }
  void drawText(std::string_view text) override { add("text '" + std::string(text) + "'"); }
  std::int32_t textWidth(std::string_view text) const override {
    return kCharWidth * static_cast<std::int32_t>(text.size());
  }
  std::int32_t textHeight() const override { return kTextHeight; }
  std::int32_t setPenWidth(std::int32_t units) override {
    add("pen " + std::to_string(units));
    const std::int32_t previous = pen_;
    pen_ = units;
    return previous;
  }

  // The texts in order, without their quotes.
  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (const auto& s : log)
      if (s.rfind("text '", 0) == 0) out.push_back(s.substr(6, s.size() - 7));
    return out;
  }
  int count(std::string_view kind) const {
    int n = 0;
    for (const auto& s : log) n += s.rfind(kind, 0) == 0 ? 1 : 0;
    return n;
  }

 private:
  void add(std::string s) { log.push_back(std::move(s)); }
  static std::string xy(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
  std::int32_t pen_ = 1;
};

}  // namespace kelm::klplot::testing
