#pragma once
// The square of the page that every printed page is laid out in.

#include <cstdint>

#include "window/printing.h"

namespace kelm::klplot {

struct PageSquare {
  std::int32_t w, h;  // device units; different resolutions across and down make w != h
};

// 21 m / 600 inch a side from the printable area's top-left corner, m being the area's
// shorter side in millimetres, at most 197; a device that reports no size gets 197.
PageSquare pageSquare(const window::PrinterFacts& facts);

}  // namespace kelm::klplot
