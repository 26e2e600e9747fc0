#pragma once
// The font option string of every view window, from the current text height.

#include "source/klplot/views/display_state.h"

namespace kelm::klplot {

// Sets fontHeight from the screen width and writes fontSpec from it.
void setViewFont(DisplayState& state);

}  // namespace kelm::klplot
