#pragma once
// The "Cathode" window: title line in pixels, then one dot per trajectory at its start radius
// and cathode current density.

#include "source/klplot/project_data.h"
#include "source/klplot/view_context.h"

namespace kelm::klplot {

void drawCathodeView(const ViewContext& v, const ProjectData& data);

}  // namespace kelm::klplot
