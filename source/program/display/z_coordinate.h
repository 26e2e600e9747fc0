#pragma once
// Choosing the plane of the phase plane: the "Z coordinate ..." dialog and a left click in
// the "Beam" or "Magnetic field" window. Both run on the message thread.

#include <cstdint>

namespace kelm {

void zCoordinateCommand(std::int32_t* state);

// Registered on units 12 and 14 for left button down and up and for moves: a press puts the
// plane under the pointer, a move with the button held drags it along, and every move updates
// the status bar's read-out.
void zMouseHandler(std::int32_t* unit, std::int32_t* event, std::int32_t* keyState,
                   std::int32_t* x, std::int32_t* y);

// Registered on units 12 and 14: the Left and Right arrows move the plane by step columns of
// that window, as a click there would, without leaving its plot.
void zArrowKeyHandler(std::int32_t unit, std::int32_t step);

// Pixel columns of an axial position in the two marked windows.
std::int32_t beamColumnOf(double z);
std::int32_t fieldColumnOf(double z);

}  // namespace kelm
