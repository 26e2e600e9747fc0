#include "source/klplot/views/z_marker.h"

#include "source/klplot/plotting/plot_mapping.h"

namespace kelm::klplot {

void drawMarkerLine(Canvas& c, MarkerSave& save, std::int32_t x) {
  const std::int32_t height = c.windowHeight() > 0 ? c.windowHeight() : 0;
  save.column = toPixel(x);
  save.colours.assign(static_cast<std::size_t>(height), 0);
  for (std::int32_t y = 0; y < height; ++y)
    save.colours[static_cast<std::size_t>(y)] = c.getPixelColor(save.column, toPixel(y));
  save.saved = true;
  c.setDrawColor(0x000000);
  c.moveTo(save.column, 0);
  c.lineTo(save.column, toPixel(height - 1));
}

void eraseMarkerLine(Canvas& c, MarkerSave& save) {
  if (!save.saved) return;
  for (std::size_t y = 0; y < save.colours.size(); ++y) {
    // Points outside the surface read back as -1 and are left alone.
    if (save.colours[y] >= 0)
      c.setPixelColor(save.column, toPixel(static_cast<double>(y)), save.colours[y]);
  }
  save.saved = false;
}

}  // namespace kelm::klplot
