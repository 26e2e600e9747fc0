#pragma once
// The axis scheme of the two small panels: normalised scales, grey grid, thinned labels and
// the "R(mm)" title. Leaves the mapping in real units for the caller's data.

#include "source/klplot/plotting/view_context.h"

namespace kelm::klplot {

struct PanelViewport {
  double left, right;
};
inline constexpr PanelViewport kLeftPanel{0.05, 0.45};
inline constexpr PanelViewport kRightPanel{0.55, 0.95};

// Extents as found in the data (xmin is always 0); both axes are widened to include 0 by the
// callers.
void panelAxesForExtents(const ViewContext& v, double xmax, double ymin, double ymax,
                         PanelViewport panel);

// x(1..n), y(1..n) passed as x[0..n-1].
void panelAxes(const ViewContext& v, int n, const float* x, const float* y, PanelViewport panel);

// Axes followed by a black 3x3 dot per point; the cathode view and the phase-plane scatter.
void scatterPanel(const ViewContext& v, int n, const float* x, const float* y);

}  // namespace kelm::klplot
