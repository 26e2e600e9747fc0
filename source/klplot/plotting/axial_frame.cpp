#include "source/klplot/plotting/axial_frame.h"

#include <cmath>

#include "source/klplot/plotting/plot_mapping.h"
#include "source/klplot/project/single_precision.h"

namespace kelm::klplot {
namespace {

// A ratio of two spans; an empty span maps everything onto its start instead of dividing by 0,
// and a ratio far beyond any surface is held at a million spans rather than overflowing.
double fraction(double offset, double span) {
  constexpr double kFar = 1e6;
  if (span == 0.0) return 0.0;
  if (std::fabs(offset) / kFar >= std::fabs(span)) return (offset < 0.0) != (span < 0.0) ? -kFar : kFar;
  return offset / span;
}

}  // namespace

std::int32_t AxialFrame::column(double z) const {
  const double f = fraction(z - zStart, zEnd - zStart);
  return toPixel((f * (double(right) - left) + left) * plotWidth);
}

float AxialFrame::zAt(std::int32_t x) const {
  // The viewport width is a difference of doubles, so that round fractions give round planes.
  float z = saturatedSingle(fraction(x, plotWidth) - left);
  z = saturatedSingle(fraction(z, double(right) - left));
  return saturatedSingle(zStart + z * (zEnd - zStart));
}

double AxialFrame::valueAt(std::int32_t y) const {
  const double up = 1.0 - fraction(y, plotHeight);
  return valueLow + fraction(up - bottom, double(top) - bottom) * (valueHigh - valueLow);
}

}  // namespace kelm::klplot
