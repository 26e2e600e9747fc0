#pragma once
// Canvases that keep only the number of calls, for drawing hostile data: far more calls than
// any real picture makes (the full example draws about a million) means a loop that does not end.

#include <cstdio>
#include <cstdlib>

#include "source/klplot/plotting/canvas.h"

namespace kelm::klplot::fuzzing {

inline void countCall(long& calls) {
  constexpr long kRunaway = 50'000'000;
  if (++calls <= kRunaway) return;
  std::fprintf(stderr, "runaway drawing\n");
  std::abort();
}

class CountingCanvas final : public Canvas {
 public:
  long calls = 0;

  std::int32_t setDrawColor(std::int32_t) override { return count(), 0; }
  void moveTo(std::int16_t, std::int16_t) override { count(); }
  void lineTo(std::int16_t, std::int16_t) override { count(); }
  void drawRectangle(int, std::int16_t, std::int16_t, std::int16_t, std::int16_t) override { count(); }
  void setPixel(std::int16_t, std::int16_t) override { count(); }
  std::int32_t getPixelColor(std::int16_t, std::int16_t) override { return count(), 0xFFFFFF; }
  std::int32_t setPixelColor(std::int16_t, std::int16_t, std::int32_t) override { return count(), 0xFFFFFF; }
  void drawText(std::string_view) override { count(); }
  std::int32_t windowHeight() const override { return 514; }

 private:
  void count() { countCall(calls); }
};

// A page in the printer font's sizes at 600 dpi.
class CountingPage final : public PageCanvas {
 public:
  long calls = 0;

  void moveTo(std::int16_t, std::int16_t) override { countCall(calls); }
  void lineTo(std::int16_t, std::int16_t) override { countCall(calls); }
  void drawText(std::string_view) override { countCall(calls); }
  std::int32_t textWidth(std::string_view text) const override { return 37 * std::int32_t(text.size()); }
  std::int32_t textHeight() const override { return 77; }
  std::int32_t setPenWidth(std::int32_t) override { return countCall(calls), 1; }
};

}  // namespace kelm::klplot::fuzzing
