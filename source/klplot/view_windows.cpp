// The z-markers of the "Beam" and "Magnetic field" windows. Opening, serving and closing the
// windows follow once the frame layer lands.
#include "source/klplot/view_windows.h"

#include "source/klplot/z_marker.h"

namespace kelm::klplot {
namespace {
MarkerSave markerSaves[2];

MarkerSave* saveFor(int which) { return which == 0 || which == 1 ? &markerSaves[which] : nullptr; }
}  // namespace

void openViewWindows() {}
void serveViewRequests() {}
void closeViewWindows() {}

void drawZMarker(std::int32_t x, int which) {
  if (MarkerSave* save = saveFor(which)) drawMarkerLine(screenCanvas(), *save, x);
}

void eraseZMarker(int which) {
  if (MarkerSave* save = saveFor(which)) eraseMarkerLine(screenCanvas(), *save);
}

}  // namespace kelm::klplot
