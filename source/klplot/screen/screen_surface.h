#pragma once
// The views on the window layer's active drawing surface: the screen's windows, and
// kelm-export's offscreen pictures drawn the same way.

#include "source/klplot/plotting/view_context.h"

namespace kelm::klplot {

// Draws on the active child window of the calling thread.
Canvas& screenCanvas();
// The views' context on the active drawing surface, for the screen that displayState holds.
// Its mapping is the program thread's: call it there only.
ViewContext screenViewContext();
// The same for a view laid out as on a W x H screen.
ViewContext screenViewContext(std::int32_t W, std::int32_t H);
// White background, black drawing colour and the view font on the active drawing surface, as
// every view window gets them when it opens.
void prepareViewSurface();

}  // namespace kelm::klplot
