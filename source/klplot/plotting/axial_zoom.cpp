#include "source/klplot/plotting/axial_zoom.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kelm::klplot {
namespace {

constexpr double kFar = 1e30;  // beyond any gun in mm, yet far from overflowing

bool sane(double v) { return std::isfinite(v) && std::fabs(v) < kFar; }

// The exact z under a column, in double: the zoom needs no single-precision plane.
double zUnder(const AxialFrame& f, std::int32_t x) {
  const double across = f.plotWidth > 0 ? double(x) / f.plotWidth : 0.0;
  const double viewport = double(f.right) - f.left;
  const double u = viewport != 0.0 ? (across - f.left) / viewport : 0.0;
  return f.zStart + std::clamp(u, -kFar, kFar) * (f.zEnd - f.zStart);
}

}  // namespace

double narrowestZoom(double zStart, double zEnd) {
  return std::max(1e-3, 1e-3 * std::max(std::fabs(zStart), std::fabs(zEnd)));
}

AxialZoom limitedZoom(AxialZoom z, ZRange whole) {
  if (!sane(z.zStart) || !sane(z.zEnd) || !sane(z.rCentre) || !sane(whole.start) ||
      !sane(whole.end))
    return {};
  if (z.zEnd < z.zStart) std::swap(z.zStart, z.zEnd);
  const double least = narrowestZoom(z.zStart, z.zEnd);
  if (z.zEnd - z.zStart < least) {
    const double middle = 0.5 * (z.zStart + z.zEnd);
    z.zStart = middle - 0.5 * least;
    z.zEnd = middle + 0.5 * least;
  }
  if (z.zEnd - z.zStart >= whole.end - whole.start) return {};
  return z;
}

AxialZoom zoomAbout(const AxialFrame& drawn, ZRange whole, std::int32_t x, std::int32_t y,
                    double factor) {
  const double z = zUnder(drawn, x), r = drawn.valueAt(y);
  const double rCentre = 0.5 * (drawn.valueLow + drawn.valueHigh);
  return limitedZoom({z - (z - drawn.zStart) * factor, z + (drawn.zEnd - z) * factor,
                      r + (rCentre - r) * factor},
                     whole);
}

AxialZoom zoomToRectangle(const AxialFrame& drawn, ZRange whole, std::int32_t x1, std::int32_t y1,
                          std::int32_t x2, std::int32_t y2) {
  if (std::abs(double(x2) - x1) < 3.0) return limitedZoom({drawn.zStart, drawn.zEnd, 0.5 * (drawn.valueLow + drawn.valueHigh)}, whole);
  return limitedZoom({zUnder(drawn, x1), zUnder(drawn, x2),
                      0.5 * (drawn.valueAt(y1) + drawn.valueAt(y2))},
                     whole);
}

}  // namespace kelm::klplot
