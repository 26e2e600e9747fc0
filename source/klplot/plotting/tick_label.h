#pragma once
// Tick values written into fixed-width labels, the format following the value's magnitude.

#include <span>
#include <string_view>

namespace kelm::klplot {

// The format for v at field width w: "(I^)" for a whole value (width supplied at run time),
// a fixed-point or exponent form for w of 5, 6 or 8, and an empty view for any other width.
std::string_view tickLabelFormat(float v, int w);

// Fills text; for an unsupported width a non-whole value leaves text unchanged.
void tickLabel(float v, std::span<char> text, int w);

}  // namespace kelm::klplot
