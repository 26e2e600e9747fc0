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

namespace {

// The least n in [1, 65536] whose extent reaches target; every layout grows with the screen.
template <class Extent>
std::int32_t leastReaching(Extent extent, std::int32_t target) {
  std::int32_t low = 1, high = 65536;
  while (low < high) {
    const std::int32_t middle = low + (high - low) / 2;
    if (extent(middle) >= target) high = middle;
    else low = middle + 1;
  }
  return low;
}

}  // namespace

ScreenSize screenForSurface(SurfaceSize (*surface)(std::int32_t W, std::int32_t H), SurfaceSize size) {
  return {leastReaching([&](std::int32_t W) { return surface(W, 0).width; }, size.width),
          leastReaching([&](std::int32_t H) { return surface(0, H).height; }, size.height)};
}

}  // namespace kelm::klplot
