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

}  // namespace kelm::klplot
