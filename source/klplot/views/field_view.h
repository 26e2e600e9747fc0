#pragma once
// The "Magnetic field" window: B(z) on the axis over the geometry view's z range, with its
// grid, labels and titles. Returns the frame it drew in, whether or not there was a curve.

#include "runtime/fixed_text.h"
#include "source/klplot/plotting/axial_frame.h"
#include "source/klplot/plotting/view_context.h"
#include "source/klplot/plotting/z_grid.h"
#include "source/klplot/project/project_data.h"

namespace kelm::klplot {

AxialFrame drawFieldView(const ViewContext& v, const ProjectData& data);

// The B axis of the field window and the printed field page: the range of the first n >= 1
// samples left of the z axis's right end, widened to whole steps of a nice size.
ValueAxis fieldAxis(const ProjectData& data, int n);

// A B-axis label: thousands of gauss with a K beyond kiloBeyond either way, whole gauss
// beyond 10, one decimal within.
FixedText<8> fieldLabel(float b, float kiloBeyond);

}  // namespace kelm::klplot
