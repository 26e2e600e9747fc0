#include "source/klplot/plotting/pointer_readout.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace kelm::klplot {
namespace {

// Decimals that resolve a tenth of one pixel's worth, and no more: 0 to 6.
int decimalsFor(double perPixel) {
  if (!(perPixel > 0.0) || !std::isfinite(perPixel)) return 0;
  return std::clamp(static_cast<int>(std::ceil(-std::log10(perPixel))) + 1, 0, 6);
}

// Fixed point in the C locale, whatever the user's; a value too long for the buffer shows "*".
std::string fixed(double value, int decimals) {
  char text[64];
  const auto [end, error] =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  return error == std::errc() ? std::string(text, end) : std::string("*");
}

}  // namespace

std::string pointerReadout(const AxialFrame& f, char quantity, std::int32_t x, std::int32_t y) {
  // The plot's edges in whole pixels, truncated as the drawing's are.
  const double left = std::trunc(double(f.left) * f.plotWidth);
  const double right = std::trunc(double(f.right) * f.plotWidth);
  const double top = std::trunc((1.0 - double(f.top)) * f.plotHeight);
  const double bottom = std::trunc((1.0 - double(f.bottom)) * f.plotHeight);
  if (!(right > left) || !(bottom > top) || x < left || x > right || y < top || y > bottom) return {};
  const double z = f.zAt(x);  // the plane a click here would choose
  const double value = f.valueAt(y);
  if (!std::isfinite(z) || !std::isfinite(value)) return {};
  const std::string unit = quantity == 'B' ? " Gs" : " mm";
  return "z = " + fixed(z, decimalsFor((f.zEnd - f.zStart) / (right - left))) + " mm   " +
         quantity + " = " + fixed(value, decimalsFor((f.valueHigh - f.valueLow) / (bottom - top))) + unit;
}

}  // namespace kelm::klplot
