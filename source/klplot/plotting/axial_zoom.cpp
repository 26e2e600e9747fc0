#include "source/klplot/plotting/axial_zoom.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kelm::klplot {
namespace {

constexpr double kFar = 1e30;  // beyond any gun in mm, yet far from overflowing
constexpr float kZoomedLeft = 0.05f, kZoomedRight = 0.95f, kZoomedBottom = 0.15f, kZoomedTop = 1.0f;

bool sane(double v) { return std::isfinite(v) && std::fabs(v) < kFar; }

// The exact z under a column, in double: the zoom needs no single-precision plane.
double zUnder(const AxialFrame& f, double x) {
  const double across = f.plotWidth > 0 ? x / f.plotWidth : 0.0;
  const double viewport = double(f.right) - f.left;
  const double u = viewport != 0.0 ? (across - f.left) / viewport : 0.0;
  return f.zStart + std::clamp(u, -kFar, kFar) * (f.zEnd - f.zStart);
}

// The z range a frame shows between two fractions of its width.
ZRange shownBetween(const AxialFrame& f, float left, float right) {
  return {zUnder(f, double(left) * f.plotWidth), zUnder(f, double(right) * f.plotWidth)};
}

// The columns a zoom made in this window will be drawn in.
ZRange targetColumns(const AxialFrame& drawn, ZoomWindow window) {
  return window == ZoomWindow::beam ? ZRange{kZoomedLeft, kZoomedRight} : ZRange{drawn.left, drawn.right};
}

// The centre that puts r under row y once the zoom is drawn.
double centreFor(const AxialFrame& drawn, const AxialZoom& zoom, std::int32_t y, double r) {
  return r - zoomedFrame(drawn.plotWidth, drawn.plotHeight, {zoom.zStart, zoom.zEnd, 0.0}).valueAt(y);
}

AxialZoom withCentre(AxialZoom zoom, double rCentre) {
  if (!zoom.active()) return zoom;
  zoom.rCentre = rCentre;
  return sane(rCentre) ? zoom : AxialZoom{};
}

}  // namespace

double narrowestZoom(double zStart, double zEnd) {
  return std::max(1e-3, 1e-3 * std::max(std::fabs(zStart), std::fabs(zEnd)));
}

AxialFrame zoomedFrame(std::int32_t plotWidth, std::int32_t plotHeight, const AxialZoom& zoom) {
  AxialFrame f{zoom.zStart, zoom.zEnd, kZoomedLeft, kZoomedRight, plotWidth, 0.0, 0.0,
               kZoomedBottom, kZoomedTop, plotHeight};
  // The fractions' spans as decimals, not as differences of floats.
  const double across = 0.9 * plotWidth, up = 0.85 * plotHeight;
  const double half = 0.5 * (zoom.zEnd - zoom.zStart) * (across > 0.0 && up > 0.0 ? up / across : 1.0);
  f.valueLow = zoom.rCentre - half;
  f.valueHigh = zoom.rCentre + half;
  return f;
}

ZRange zoomExtent(const AxialFrame& wholeGun) { return shownBetween(wholeGun, kZoomedLeft, kZoomedRight); }

AxialZoom limitedZoom(AxialZoom z, ZRange extent) {
  if (!sane(z.zStart) || !sane(z.zEnd) || !sane(z.rCentre) || !sane(extent.start) ||
      !sane(extent.end))
    return {};
  if (z.zEnd < z.zStart) std::swap(z.zStart, z.zEnd);
  const double least = narrowestZoom(z.zStart, z.zEnd);
  if (z.zEnd - z.zStart < least) {
    const double middle = 0.5 * (z.zStart + z.zEnd);
    z.zStart = middle - 0.5 * least;
    z.zEnd = middle + 0.5 * least;
  }
  const double width = z.zEnd - z.zStart;
  if (width >= extent.end - extent.start) return {};
  // Past an end of the gun, the zoom stops there and keeps its width.
  const double shift = z.zStart < extent.start ? extent.start - z.zStart
                       : z.zEnd > extent.end   ? extent.end - z.zEnd
                                               : 0.0;
  z.zStart += shift;
  z.zEnd = z.zStart + width;
  return z;
}

AxialZoom zoomAbout(const AxialFrame& drawn, ZoomWindow window, ZRange extent, std::int32_t x,
                    std::int32_t y, double factor) {
  const double z = zUnder(drawn, x), r = drawn.valueAt(y);
  const ZRange target = targetColumns(drawn, window);
  const ZRange now = shownBetween(drawn, float(target.start), float(target.end));
  const AxialZoom zoom = limitedZoom({z - (z - now.start) * factor, z + (now.end - z) * factor, 0.0}, extent);
  if (window == ZoomWindow::field) return withCentre(zoom, 0.5 * (drawn.valueLow + drawn.valueHigh));
  return withCentre(zoom, centreFor(drawn, zoom, y, r));
}

AxialZoom zoomToRectangle(const AxialFrame& drawn, ZoomWindow window, ZRange extent,
                          std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
  if (std::abs(double(x2) - x1) < 3.0) return zoomAbout(drawn, window, extent, x1, y1, 1.0);
  const double za = zUnder(drawn, x1), zb = zUnder(drawn, x2);
  const double ra = drawn.valueAt(y1), rb = drawn.valueAt(y2);
  const double rCentre = 0.5 * (ra + rb);
  double width = std::fabs(zb - za);
  if (window == ZoomWindow::beam) {
    // One scale both ways: a rectangle taller than the plot's shape widens the z range.
    const AxialFrame shape = zoomedFrame(drawn.plotWidth, drawn.plotHeight, {0.0, 1.0, 0.0});
    const double heightPerWidth = shape.valueHigh - shape.valueLow;
    if (heightPerWidth > 0.0) width = std::max(width, std::fabs(rb - ra) / heightPerWidth);
  }
  const double middle = 0.5 * (za + zb);
  const AxialZoom zoom = limitedZoom({middle - 0.5 * width, middle + 0.5 * width, 0.0}, extent);
  return withCentre(zoom, window == ZoomWindow::beam ? rCentre : 0.5 * (drawn.valueLow + drawn.valueHigh));
}

}  // namespace kelm::klplot
