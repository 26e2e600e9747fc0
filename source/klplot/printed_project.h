#pragma once
// The page a print command prints: the loaded project, the display switches and the plane as
// they are, laid out in the page square of the printer's facts.

#include "source/klplot/canvas.h"
#include "window/printing.h"

namespace kelm::klplot {

enum class PrintedPage { geometry, magneticField, phasePlane, cathodeDensity };

void printProjectPage(PrintedPage page, PageCanvas& c, const window::PrinterFacts& facts);

}  // namespace kelm::klplot
