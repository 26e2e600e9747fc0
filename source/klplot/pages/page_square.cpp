#include "source/klplot/pages/page_square.h"

#include <algorithm>
#include <limits>

namespace kelm::klplot {

namespace {

// Computed in 64 bits and clamped, so that no resolution a driver reports can overflow.
std::int32_t side(std::int64_t s, std::int32_t dotsPerInch) {
  const std::int64_t units = s * dotsPerInch / 600;
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(units, 0, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

PageSquare pageSquare(const window::PrinterFacts& facts) {
  std::int32_t m = std::min(facts.horzSizeMm, facts.vertSizeMm);
  if (m >= 197 || m <= 0) m = 197;
  const std::int64_t s = 21 * std::int64_t{m};
  return {side(s, facts.logPixelsX), side(s, facts.logPixelsY)};
}

}  // namespace kelm::klplot
