#include "source/klplot/plot_mapping.h"

#include <cmath>
#include <limits>

namespace kelm::klplot {

PlotMapping plotMapping;

std::int16_t toPixel(double v) {
  constexpr double lo = std::numeric_limits<std::int16_t>::min();
  constexpr double hi = std::numeric_limits<std::int16_t>::max();
  // Compare before converting: a cast of an out-of-range double is undefined.
  if (!(v > lo)) return std::numeric_limits<std::int16_t>::min();
  if (v >= hi) return std::numeric_limits<std::int16_t>::max();
  return static_cast<std::int16_t>(std::trunc(v));
}

static bool mapped() { return plotMapping.windowFlag != 0 && plotMapping.viewportFlag != 0; }

Pixel mapPoint(double x, double y) {
  const PlotMapping& m = plotMapping;
  if (!mapped()) return {toPixel(x), toPixel(y)};
  const double fx = (x - m.wx1) / (double(m.wx2) - m.wx1) * (double(m.vx2) - m.vx1) + m.vx1;
  const double fy = (y - m.wy1) / (double(m.wy2) - m.wy1) * (double(m.vy2) - m.vy1) + m.vy1;
  return {toPixel(fx * m.W), toPixel((1.0 - fy) * m.H)};
}

void setDeviceSize(std::int32_t w, std::int32_t h) {
  plotMapping.W = static_cast<float>(w);
  plotMapping.H = static_cast<float>(h);
}

void setWindow(int flag, double wx1, double wx2, double wy1, double wy2) {
  PlotMapping& m = plotMapping;
  m.windowFlag = static_cast<std::int16_t>(flag);
  m.wx1 = float(wx1), m.wx2 = float(wx2), m.wy1 = float(wy1), m.wy2 = float(wy2);
  if (m.viewportFlag == 0) m.vx1 = 0.0f, m.vx2 = 1.0f, m.vy1 = 0.0f, m.vy2 = 1.0f;
}

void setViewport(int flag, double vx1, double vx2, double vy1, double vy2) {
  PlotMapping& m = plotMapping;
  m.viewportFlag = static_cast<std::int16_t>(flag);
  m.vx1 = float(vx1), m.vx2 = float(vx2), m.vy1 = float(vy1), m.vy2 = float(vy2);
}

void polyline(Canvas& c, int n, const float* x, const float* y) {
  if (n < 1) return;
  const Pixel first = mapPoint(x[0], y[0]);
  c.moveTo(first.x, first.y);
  for (int i = 1; i < n; ++i) {
    const Pixel p = mapPoint(x[i], y[i]);
    c.lineTo(p.x, p.y);
  }
}

void dots(Canvas& c, int n, const float* x, const float* y) {
  for (int i = 0; i < n; ++i) {
    const Pixel p = mapPoint(x[i], y[i]);
    if (mapped()) {
      c.drawRectangle(3, toPixel(p.x - 1.0), toPixel(p.y - 1.0), toPixel(p.x + 1.0),
                      toPixel(p.y + 1.0));
    } else {
      c.setPixel(p.x, p.y);
    }
  }
}

void line(Canvas& c, double x1, double y1, double x2, double y2) {
  const Pixel a = mapPoint(x1, y1), b = mapPoint(x2, y2);
  c.moveTo(a.x, a.y);
  c.lineTo(b.x, b.y);
}

void rectangleOutline(Canvas& c, double x1, double x2, double y1, double y2) {
  const float xs[5] = {float(x1), float(x2), float(x2), float(x1), float(x1)};
  const float ys[5] = {float(y1), float(y1), float(y2), float(y2), float(y1)};
  polyline(c, 5, xs, ys);
}

void textAtPoint(Canvas& c, double x, double y, std::string_view text, std::int32_t textHeight) {
  if (mapped()) {
    const Pixel p = mapPoint(x, y);
    c.moveTo(p.x, toPixel(double(p.y) - textHeight));
  } else {
    c.moveTo(toPixel(x), toPixel(y));
  }
  c.drawText(text);
}

}  // namespace kelm::klplot
