#pragma once
// The two printed figures of the cathode and phase plane pages: dots over a labelled grid,
// and the current density over the radius as a staircase over the same kind of grid.

#include <cstdint>

#include "runtime/fixed_array.h"
#include "source/klplot/plotting/canvas.h"
#include "source/klplot/plotting/plot_mapping.h"
#include "source/klplot/project/project_data.h"

namespace kelm::klplot {

// x(1..n), y(1..n) passed as x[0..n-1], in the viewport the caller has set.
void printScatterPlot(PageCanvas& c, PlotMapping& m, int n, const float* x, const float* y);

// Currents binned by radius into rings; its own viewport right of the scatter plot. Shares
// that fall beyond the last ring but one are left out.
void printDensityHistogram(PageCanvas& c, PlotMapping& m, int n, const Array1<float, kMaxTrajectories>& radius,
                           const Array1<float, kMaxTrajectories>& current, double startSpacing,
                           std::int32_t divisions);

}  // namespace kelm::klplot
