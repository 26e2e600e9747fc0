#pragma once
// The status bar's read-out of a view window: z and the value axis's quantity under the
// pointer, to a tenth of a pixel's worth, in the units the window's axes use.

#include <cstdint>
#include <string>

#include "source/klplot/plotting/axial_frame.h"

namespace kelm::klplot {

// quantity 'r' gives "z = 12.34 mm   r = 1.23 mm", 'B' gives "z = 12.34 mm   B = 123.4 Gs".
// Outside the plot, or in a frame never drawn, the read-out is empty.
std::string pointerReadout(const AxialFrame& frame, char quantity, std::int32_t x, std::int32_t y);

}  // namespace kelm::klplot
