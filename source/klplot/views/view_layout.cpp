#include "source/klplot/views/view_layout.h"

#include "source/klplot/plotting/plot_mapping.h"

namespace kelm::klplot {

std::int32_t fontHeightForWidth(std::int32_t w) {
  if (w >= 1600) return 28;
  if (w >= 1280) return 24;
  if (w >= 1024) return 19;
  if (w >= 800) return 15;
  return 13;
}

std::int32_t markerColumn(double phaseZ, double z0, double z1, double left, double right,
                          std::int32_t w) {
  const double span = z1 - z0;
  const double f = span != 0.0 ? (phaseZ - z0) / span : 0.0;
  return toPixel((f * (right - left) + left) * (w - 16));
}

}  // namespace kelm::klplot
