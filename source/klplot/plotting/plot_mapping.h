#pragma once
// Problem coordinates -> window -> viewport -> device units, drawn through a canvas. The screen
// views and the printed pages each own a mapping on their thread and pass it to the drawing.
// Each drawing sets device size, window and viewport on its mapping before it draws; the
// printer's device size is the page square.

#include <cstdint>
#include <string_view>

#include "source/klplot/plotting/canvas.h"

namespace kelm::klplot {

struct Pixel {
  std::int16_t x, y;
};

// Truncates toward zero and clamps into 16 bits, so a far-away point never wraps around.
std::int16_t toPixel(double v);

struct PlotMapping {
  float W = 0.0f, H = 0.0f;
  std::int16_t windowFlag = 0;
  float wx1 = 0.0f, wx2 = 1.0f, wy1 = 0.0f, wy2 = 1.0f;
  std::int16_t viewportFlag = 0;
  float vx1 = 0.0f, vx2 = 1.0f, vy1 = 0.0f, vy2 = 1.0f;

  bool mapped() const { return windowFlag != 0 && viewportFlag != 0; }
  Pixel map(double x, double y) const;

  void setDeviceSize(std::int32_t w, std::int32_t h);
  void setWindow(int flag, double x1, double x2, double y1, double y2);
  void setViewport(int flag, double x1, double x2, double y1, double y2);

  // Arrays are indexed from 1 by the callers: x[0] here is their x(1).
  void polyline(LineCanvas& c, int n, const float* x, const float* y) const;
  void dots(Canvas& c, int n, const float* x, const float* y) const;
  // The printer's marks: a line of no length per point, as wide as the pen.
  void points(LineCanvas& c, int n, const float* x, const float* y) const;
  void line(LineCanvas& c, double x1, double y1, double x2, double y2) const;
  void rectangleOutline(LineCanvas& c, double x1, double x2, double y1, double y2) const;
  void textAtPoint(LineCanvas& c, double x, double y, std::string_view text,
                   std::int32_t textHeight) const;
  // Trimmed of leading and trailing blanks and ending at the point, measured by the page's
  // font; lifted by its height like text at point. Blanks alone draw nothing.
  void rightAlignedText(PageCanvas& c, double x, double y, std::string_view text) const;
};

}  // namespace kelm::klplot
