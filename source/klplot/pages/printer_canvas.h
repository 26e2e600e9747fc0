#pragma once
// A printed page's canvas on the open print job of the window layer.

#include "source/klplot/plotting/canvas.h"
#include "window/printing.h"

namespace kelm::klplot {

class PrinterCanvas final : public PageCanvas {
 public:
  explicit PrinterCanvas(window::PrinterPage& page) : page_(page) {}
  void moveTo(std::int16_t x, std::int16_t y) override { page_.moveTo(x, y); }
  void lineTo(std::int16_t x, std::int16_t y) override { page_.lineTo(x, y); }
  void drawText(std::string_view text) override { page_.drawText(text); }
  std::int32_t textWidth(std::string_view text) const override { return page_.textWidth(text); }
  std::int32_t textHeight() const override { return page_.textHeight(); }
  std::int32_t setPenWidth(std::int32_t units) override { return page_.setPenWidth(units); }

 private:
  window::PrinterPage& page_;
};

}  // namespace kelm::klplot
