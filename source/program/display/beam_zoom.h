#pragma once
// Zooming the "Beam" window, with the "Magnetic field" window following its z range: the
// wheel and a dragged rectangle in either window, Home there and the Window menu's "Whole gun"
// for the whole gun again, Backspace for the zoom before. All run on the message thread; the program thread redraws.

#include <cstdint>

namespace kelm {

void zoomWheelHandler(std::int32_t unit, std::int32_t x, std::int32_t y, std::int32_t notches);
void zoomRectangleHandler(std::int32_t unit, std::int32_t x1, std::int32_t y1, std::int32_t x2,
                          std::int32_t y2);
void zoomHomeHandler(std::int32_t unit);
void zoomBackHandler(std::int32_t unit);
// Another project: the whole gun, with no zoom to go back to.
void forgetZoom();
void wholeGunCommand(std::int32_t* state);

// The status bar's read-out for the pointer at (x, y) in unit's window.
void showPointerReadout(std::int32_t unit, std::int32_t x, std::int32_t y);

}  // namespace kelm
