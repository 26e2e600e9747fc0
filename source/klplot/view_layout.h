#pragma once
// Sizes and positions the view windows derive from the screen width and the z extents.

#include <cstdint>

namespace kelm::klplot {

std::int32_t fontHeightForWidth(std::int32_t w);

// Pixel column of phaseZ in a window whose plot spans [z0, z1] over viewport fractions
// [left, right] of a surface w - 16 pixels wide. An empty span gives the left fraction.
std::int32_t markerColumn(double phaseZ, double z0, double z1, double left, double right,
                          std::int32_t w);

}  // namespace kelm::klplot
