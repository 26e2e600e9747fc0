#include "source/klplot/plotting/tick_label.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <cstdint>

#include "records/formatted.h"

namespace kelm::klplot {

namespace {

// The fewest decimals that give v back in single precision, within w characters where they can.
std::string plainText(float v, int w) {
  const double a = std::fabs(double(v));
  const bool decimal = v == 0.0f || (a >= 1e-3 && a < 1e6);
  std::string best;
  for (int decimals = 0; decimals <= 8; ++decimals) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, decimal ? "%.*f" : "%.*e", decimal ? decimals : std::max(1, decimals),
                  double(v));
    std::string text = buffer;
    if (!decimal) {
      // 7.0e-05 -> 7.0e-5, 2.5e+07 -> 2.5e7: the exponent without its padding.
      const std::size_t e = text.find('e');
      std::string exponent = text.substr(e + 1);
      const bool negative = exponent.front() == '-';
      exponent.erase(0, exponent.find_first_not_of("+-0"));
      text = text.substr(0, e + 1) + (negative ? "-" : "") + (exponent.empty() ? "0" : exponent);
    }
    if (!best.empty() && int(text.size()) > w) break;
    best = text;
    // Rounded up past the largest float, the text cannot be v; narrowing it would trap.
    const double back = std::strtod(buffer, nullptr);
    if (std::fabs(back) <= std::numeric_limits<float>::max() && float(back) == v) break;
  }
  return best;
}

}  // namespace

void tickLabel(float v, std::span<char> text, int w, TickStyle style) {
  if (style == TickStyle::kPlain) {
    const std::string plain = plainText(v, w);
    const std::size_t width = std::min(text.size(), std::size_t(std::max(0, w)));
    const std::size_t shown = std::min(plain.size(), width);
    std::fill(text.begin(), text.begin() + std::ptrdiff_t(width - shown), ' ');
    std::copy_n(plain.begin(), shown, text.begin() + std::ptrdiff_t(width - shown));
    return;
  }
  const std::string_view format = tickLabelFormat(v, w);
  if (format.empty()) return;
  if (format == "(I^)") {
    (void)records::writeInternal(text, format, records::RunTimeWidth{w},
                                 static_cast<std::int32_t>(std::trunc(v)));
    return;
  }
  (void)records::writeInternal(text, format, v);
}

}  // namespace kelm::klplot
