#include "source/program/display/z_markers.h"

#include "source/klplot/screen/screen_surface.h"
#include "source/klplot/views/z_marker.h"

namespace kelm::klplot {
namespace {

MarkerSave markerSaves[2];

MarkerSave* saveFor(int which) { return which == 0 || which == 1 ? &markerSaves[which] : nullptr; }

}  // namespace

void drawZMarker(std::int32_t x, int which) {
  if (MarkerSave* save = saveFor(which)) drawMarkerLine(screenCanvas(), *save, x);
}

void eraseZMarker(int which) {
  if (MarkerSave* save = saveFor(which)) eraseMarkerLine(screenCanvas(), *save);
}

}  // namespace kelm::klplot
