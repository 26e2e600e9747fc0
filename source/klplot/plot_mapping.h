#pragma once
// Problem coordinates -> window -> viewport -> pixels, drawn through a Canvas. One state for
// the whole program; each view sets device size, window and viewport before it draws.

#include <cstdint>
#include <string_view>

#include "source/klplot/canvas.h"

namespace kelm::klplot {

struct PlotMapping {
  float W = 0.0f, H = 0.0f;
  std::int16_t windowFlag = 0;
  float wx1 = 0.0f, wx2 = 1.0f, wy1 = 0.0f, wy2 = 1.0f;
  std::int16_t viewportFlag = 0;
  float vx1 = 0.0f, vx2 = 1.0f, vy1 = 0.0f, vy2 = 1.0f;
};

extern PlotMapping plotMapping;

// Truncates toward zero and clamps into 16 bits, so a far-away point never wraps around.
std::int16_t toPixel(double v);

struct Pixel {
  std::int16_t x, y;
};
Pixel mapPoint(double x, double y);

void setDeviceSize(std::int32_t w, std::int32_t h);
void setWindow(int flag, double wx1, double wx2, double wy1, double wy2);
void setViewport(int flag, double vx1, double vx2, double vy1, double vy2);

// Arrays are indexed from 1 by the callers: x[0] here is their x(1).
void polyline(Canvas& c, int n, const float* x, const float* y);
void dots(Canvas& c, int n, const float* x, const float* y);
void line(Canvas& c, double x1, double y1, double x2, double y2);
void rectangleOutline(Canvas& c, double x1, double x2, double y1, double y2);
void textAtPoint(Canvas& c, double x, double y, std::string_view text, std::int32_t textHeight);

}  // namespace kelm::klplot
