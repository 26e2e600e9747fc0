#include "source/klplot/figures/staircase.h"

namespace kelm::klplot {

void drawStaircase(const PlotMapping& m, LineCanvas& c, const DensityHistogram& h) {
  for (int k = 1; k <= h.bins; ++k) {
    const double r1 = double(k - 1) / h.bins * h.rMax, r2 = double(k) / h.bins * h.rMax;
    const double next = k < h.bins ? h.density(k + 1) : 0.0;
    m.line(c, r1, h.density(k), r2, h.density(k));
    m.line(c, r2, h.density(k), r2, next);
  }
}

}  // namespace kelm::klplot
