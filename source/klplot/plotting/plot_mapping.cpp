#include "source/klplot/plotting/plot_mapping.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "source/klplot/project/single_precision.h"

namespace kelm::klplot {

std::int16_t toPixel(double v) {
  constexpr double lo = std::numeric_limits<std::int16_t>::min();
  constexpr double hi = std::numeric_limits<std::int16_t>::max();
  // Compare before converting: a cast of an out-of-range double is undefined.
  if (!(v > lo)) return std::numeric_limits<std::int16_t>::min();
  if (v >= hi) return std::numeric_limits<std::int16_t>::max();
  return static_cast<std::int16_t>(std::trunc(v));
}

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

Pixel PlotMapping::map(double x, double y) const {
  if (!mapped()) return {toPixel(x), toPixel(y)};
  const double fx = windowFraction(x, wx1, wx2) * (double(vx2) - vx1) + vx1;
  const double fy = windowFraction(y, wy1, wy2) * (double(vy2) - vy1) + vy1;
  return {toPixel(fx * W), toPixel((1.0 - fy) * H)};
}

void PlotMapping::setDeviceSize(std::int32_t w, std::int32_t h) {
  W = static_cast<float>(w);
  H = static_cast<float>(h);
}

void PlotMapping::setWindow(int flag, double x1, double x2, double y1, double y2) {
  windowFlag = static_cast<std::int16_t>(flag);
  storeRange(wx1, wx2, x1, x2);
  storeRange(wy1, wy2, y1, y2);
  if (viewportFlag == 0) vx1 = 0.0f, vx2 = 1.0f, vy1 = 0.0f, vy2 = 1.0f;
}

void PlotMapping::setViewport(int flag, double x1, double x2, double y1, double y2) {
  viewportFlag = static_cast<std::int16_t>(flag);
  vx1 = saturatedSingle(x1), vx2 = saturatedSingle(x2);
  vy1 = saturatedSingle(y1), vy2 = saturatedSingle(y2);
}

void PlotMapping::polyline(LineCanvas& c, int n, const float* x, const float* y) const {
  if (n < 1) return;
  const Pixel first = map(x[0], y[0]);
  c.moveTo(first.x, first.y);
  for (int i = 1; i < n; ++i) {
    const Pixel p = map(x[i], y[i]);
    c.lineTo(p.x, p.y);
  }
}

void PlotMapping::dots(Canvas& c, int n, const float* x, const float* y) const {
  for (int i = 0; i < n; ++i) {
    const Pixel p = map(x[i], y[i]);
    if (mapped()) {
      c.drawRectangle(3, toPixel(p.x - 1.0), toPixel(p.y - 1.0), toPixel(p.x + 1.0),
                      toPixel(p.y + 1.0));
    } else {
      c.setPixel(p.x, p.y);
    }
  }
}

void PlotMapping::points(LineCanvas& c, int n, const float* x, const float* y) const {
  for (int i = 0; i < n; ++i) {
    const Pixel p = map(x[i], y[i]);
    c.moveTo(p.x, p.y);
    c.lineTo(p.x, p.y);
  }
}

void PlotMapping::line(LineCanvas& c, double x1, double y1, double x2, double y2) const {
  const Pixel a = map(x1, y1), b = map(x2, y2);
  c.moveTo(a.x, a.y);
  c.lineTo(b.x, b.y);
}

void PlotMapping::rectangleOutline(LineCanvas& c, double x1, double x2, double y1,
                                   double y2) const {
  const float left = saturatedSingle(x1), right = saturatedSingle(x2);
  const float bottom = saturatedSingle(y1), top = saturatedSingle(y2);
  const float xs[5] = {left, right, right, left, left};
  const float ys[5] = {bottom, bottom, top, top, bottom};
  polyline(c, 5, xs, ys);
}

void PlotMapping::textAtPoint(LineCanvas& c, double x, double y, std::string_view text,
                              std::int32_t textHeight) const {
  if (mapped()) {
    const Pixel p = map(x, y);
    c.moveTo(p.x, toPixel(double(p.y) - textHeight));
  } else {
    c.moveTo(toPixel(x), toPixel(y));
  }
  c.drawText(text);
}

void PlotMapping::rightAlignedText(PageCanvas& c, double x, double y,
                                   std::string_view text) const {
  constexpr std::size_t kLongest = 256;  // a longer label is cut, as the text buffer held
  const std::size_t first = text.find_first_not_of(std::string_view(" \0", 2));
  if (first == std::string_view::npos) return;
  std::string_view rest = text.substr(first, kLongest);
  rest = rest.substr(0, rest.find_last_not_of(' ') + 1);
  const Pixel p = map(x, y);
  c.moveTo(toPixel(double(p.x) - c.textWidth(rest)), toPixel(double(p.y) - c.textHeight()));
  c.drawText(rest);
}

}  // namespace kelm::klplot
