#pragma once
// The page a print command prints: the loaded project, the display switches and the plane as
// they are, laid out in the page square of the printer's facts.

#include "source/klplot/canvas.h"
#include "source/klplot/view_table.h"
#include "window/printing.h"

namespace kelm::klplot {

// What the views read besides the store, as the screen shows it now.
ViewInputs currentViewInputs();

void printProjectPage(const ViewRow& view, PageCanvas& c, const window::PrinterFacts& facts);

}  // namespace kelm::klplot
