#include "source/klplot/plot_mapping.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "source/klplot/single_precision.h"

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

namespace {

// Far beyond any surface, yet small enough that no step of the mapping can overflow: every
// stored bound is a float and a window at least the smallest float wide.
constexpr double kFarAway = 1e200;

// Where v lies in [lo, hi], as a fraction of the window; an empty window maps all onto lo.
double windowFraction(double v, float lo, float hi) {
  const double span = double(hi) - lo;
  return span != 0.0 ? (std::clamp(v, -kFarAway, kFarAway) - lo) / span : 0.0;
}

// Rounding to single precision collapses a range that is narrow beside its distance from zero;
// it then gets a millionth of its value, at least 1, on either side, so that the mapping never
// divides by zero.
void storeRange(float& lo, float& hi, double a, double b) {
  lo = saturatedSingle(a);
  hi = saturatedSingle(b);
  if (lo != hi) return;
  const double half = std::max(std::fabs(double(lo)) * 1e-6, 1.0);
  lo = saturatedSingle(double(lo) - half);
  hi = saturatedSingle(double(hi) + half);
}

}  // namespace

Pixel mapPoint(double x, double y) {
  const PlotMapping& m = plotMapping;
  if (!mapped()) return {toPixel(x), toPixel(y)};
  const double fx = windowFraction(x, m.wx1, m.wx2) * (double(m.vx2) - m.vx1) + m.vx1;
  const double fy = windowFraction(y, m.wy1, m.wy2) * (double(m.vy2) - m.vy1) + m.vy1;
  return {toPixel(fx * m.W), toPixel((1.0 - fy) * m.H)};
}

void setDeviceSize(std::int32_t w, std::int32_t h) {
  plotMapping.W = static_cast<float>(w);
  plotMapping.H = static_cast<float>(h);
}

void setWindow(int flag, double wx1, double wx2, double wy1, double wy2) {
  PlotMapping& m = plotMapping;
  m.windowFlag = static_cast<std::int16_t>(flag);
  storeRange(m.wx1, m.wx2, wx1, wx2);
  storeRange(m.wy1, m.wy2, wy1, wy2);
  if (m.viewportFlag == 0) m.vx1 = 0.0f, m.vx2 = 1.0f, m.vy1 = 0.0f, m.vy2 = 1.0f;
}

void setViewport(int flag, double vx1, double vx2, double vy1, double vy2) {
  PlotMapping& m = plotMapping;
  m.viewportFlag = static_cast<std::int16_t>(flag);
  m.vx1 = saturatedSingle(vx1), m.vx2 = saturatedSingle(vx2);
  m.vy1 = saturatedSingle(vy1), m.vy2 = saturatedSingle(vy2);
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
  const float left = saturatedSingle(x1), right = saturatedSingle(x2);
  const float bottom = saturatedSingle(y1), top = saturatedSingle(y2);
  const float xs[5] = {left, right, right, left, left};
  const float ys[5] = {bottom, bottom, top, top, bottom};
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
