#pragma once
// The "Magnetic field" window: B(z) on the axis over the geometry view's z range, with its
// grid, labels and titles. Publishes its viewport's left and right fractions.

#include "source/klplot/project_data.h"
#include "source/klplot/view_context.h"

namespace kelm::klplot {

void drawFieldView(const ViewContext& v, const ProjectData& data);

}  // namespace kelm::klplot
