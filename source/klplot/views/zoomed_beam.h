#pragma once
// The "Beam" window zoomed in: the frame keeps one scale both ways over the whole plot area,
// and since the outline, trajectories and equipotentials run on past the plot, its margins are
// blanked afterwards and the z axis drawn there with ticks of a step that suits the range.

#include "source/klplot/plotting/axial_frame.h"
#include "source/klplot/plotting/axial_zoom.h"
#include "source/klplot/plotting/view_context.h"

namespace kelm::klplot {

AxialFrame zoomedBeamFrame(const ViewContext& v, const AxialZoom& zoom);

void drawZoomedMargins(const ViewContext& v, const AxialFrame& frame);

// Ticks every step from the first whole step at or after the frame's start; the step is 1/4,
// 1/2 or 1 times a power of ten, about a fifth of the range.
double zoomedTickStep(double span);

}  // namespace kelm::klplot
