#pragma once
// The density histogram drawn as a staircase, on the screen and on the printed page alike.

#include "source/klplot/figures/density_histogram.h"
#include "source/klplot/plotting/canvas.h"
#include "source/klplot/plotting/plot_mapping.h"

namespace kelm::klplot {

// From the top of the first bin out to rMax and down to 0; no riser at r = 0.
void drawStaircase(const PlotMapping& m, LineCanvas& c, const DensityHistogram& h);

}  // namespace kelm::klplot
