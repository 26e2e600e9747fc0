#pragma once
// The "Cathode" window: title line in pixels, then one dot per trajectory at its start radius
// and cathode current density.

#include "source/klplot/plotting/view_context.h"
#include "source/klplot/project/project_data.h"

namespace kelm::klplot {

void drawCathodeView(const ViewContext& v, const ProjectData& data);

}  // namespace kelm::klplot
