#pragma once
// The page a print command prints: the project with the Beam view's switches and the phase
// plane as the caller has them, laid out in the page square of the printer's facts.

#include "source/klplot/pages/view_table.h"
#include "source/klplot/plotting/canvas.h"
#include "source/klplot/project/project_data.h"
#include "window/printing.h"

namespace kelm::klplot {

void printProjectPage(const ViewRow& view, PageCanvas& c, const window::PrinterFacts& facts, const ProjectData& d,
                      const ViewInputs& inputs);

}  // namespace kelm::klplot
