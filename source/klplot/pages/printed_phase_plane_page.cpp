// The printed phase plane page: five beam figures, the phase plane and the density histogram.
#include "source/klplot/figures/beam_figures.h"
#include "source/klplot/figures/density_histogram.h"
#include "source/klplot/figures/figure_text.h"
#include "source/klplot/pages/page_drawing.h"
#include "source/klplot/pages/printed_figures.h"
#include "source/klplot/pages/printed_pages.h"

namespace kelm::klplot {

void printPhasePlanePage(PageCanvas& c, PlotMapping& m, const ProjectData& d, const PhasePlaneInput& in) {
  Crossings crossings;
  findCrossings(d, in.phaseZ, crossings);
  if (crossings.count == 0) return;

  m.setWindow(1, 0.0, 1.0, 0.0, 1.0);
  m.setViewport(1, 0.0, 1.0, 0.0, 1.0);
  pageText(c, m, 0.2, 0.75, " Phase plane");
  pageText(c, m, 0.67, 0.75, "Current density (A/mm**2)");
  pageText(c, m, 0.36, 0.84, figureText<7>("Rmax = ", "(F7.2)", crossings.rMax, " mm"));
  pageText(c, m, 0.02, 0.92, figureText<7>("Zcross = ", "(F6.1)", in.phaseZ, " mm"));
  pageText(c, m, 0.02, 0.84, figureText<7>("Current = ", "(F7.2)", crossings.totalCurrent, " A"));
  pageText(c, m, 0.64, 0.84, figureText<7>("Emittance = ", "(F7.4)", crossings.emittance, " mm*rad"));
  pageText(c, m, 0.64, 0.92,
           figureText<15>("Magnetic field = ", "(F10.2)", in.field, " Gs", NumberField::kTrimmed));

  m.setViewport(1, 0.02, 0.48, 0.31, 0.7);
  printScatterPlot(c, m, crossings.count, crossings.radius.from(1), crossings.slope.from(1));
  printDensityHistogram(c, m, crossings.count, crossings.radius, crossings.current,
                        startRadiusSpacing(d), in.densityDivisions);
}

}  // namespace kelm::klplot
