#pragma once
// Tick values written into fixed-width labels, the format following the value's magnitude.

#include <span>
#include <string_view>

namespace kelm::klplot {

// The format for v at field width w: "(I^)" for a whole value (width supplied at run time),
// a fixed-point or exponent form for w of 5, 6 or 8, and an empty view for any other width.
std::string_view tickLabelFormat(float v, int w);

// kViews: the described views' fixed-width forms (".70E+00"); kPlain: plain decimals, or
// "7.0e-5" beyond 1e-3 .. 1e6, as a plot of a user's own figures reads best.
enum class TickStyle { kViews, kPlain };

// Fills text, right-aligned in w characters; for an unsupported width a non-whole value in the
// views' style leaves text unchanged.
void tickLabel(float v, std::span<char> text, int w, TickStyle style = TickStyle::kViews);

}  // namespace kelm::klplot
