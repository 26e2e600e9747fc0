#pragma once
// The z-markers of the "Beam" and "Magnetic field" windows: a line at the plane's column, drawn
// over the view and taken off again with what it covered. Drawn by the program thread with the
// views, and moved by the Z-coordinate dialog on the message thread.

#include <cstdint>

namespace kelm::klplot {

// which: 0 the "Beam" window, 1 the "Magnetic field" window; both act on the active window.
void drawZMarker(std::int32_t x, int which);
void eraseZMarker(int which);

}  // namespace kelm::klplot
