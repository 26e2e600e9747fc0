#include "source/klplot/views/phase_plane_view.h"

#include "source/klplot/figures/beam_figures.h"
#include "source/klplot/figures/density_histogram.h"
#include "source/klplot/figures/figure_text.h"
#include "source/klplot/figures/staircase.h"
#include "source/klplot/plotting/panel_axes.h"
#include "source/klplot/plotting/plot_mapping.h"

namespace kelm::klplot {
namespace {

template <std::size_t N, class T>
void drawFigure(const ViewContext& v, double x, double y, std::string_view head,
                std::string_view format, T value, std::string_view tail) {
  v.mapping.textAtPoint(v.canvas, x, y, figureText<N>(head, format, value, tail), v.textHeight);
}

void drawHistogram(const ViewContext& v, const DensityHistogram& h) {
  const DensityRange range = densityRange(h);
  panelAxesForExtents(v, h.rMax, range.low, range.high, kRightPanel);
  Canvas& c = v.canvas;
  const std::int32_t previous = c.setDrawColor(kRed);
  drawStaircase(v.mapping, c, h);
  c.setDrawColor(previous);
}

}  // namespace

std::int32_t drawPhasePlaneView(const ViewContext& v, const ProjectData& data,
                                const PhasePlaneInput& in) {
  static Crossings crossings;  // 12 kB: kept off the program thread's stack
  findCrossings(data, in.phaseZ, crossings);

  setViewDevice(v);
  v.mapping.setWindow(1, 0.0, 1.0, 0.0, 1.0);
  v.mapping.setViewport(1, 0.0, 1.0, 0.0, 1.0);
  Canvas& c = v.canvas;
  v.mapping.textAtPoint(c, 0.2, 0.66, "Phase plane", v.textHeight);
  v.mapping.textAtPoint(c, 0.65, 0.66, "Current density (A/mm**2)", v.textHeight);
  drawFigure<7>(v, 0.38, 0.83, "Rmax = ", "(F7.2)", crossings.rMax, " mm");
  drawFigure<7>(v, 0.1, 0.93, "Zcross = ", "(F6.1)", in.phaseZ, " mm");
  drawFigure<7>(v, 0.1, 0.83, "Current = ", "(F7.2)", crossings.totalCurrent, " A");
  drawFigure<7>(v, 0.6, 0.83, "Emittance = ", "(F7.4)", crossings.emittance, " mm*rad");
  drawFigure<15>(v, 0.6, 0.93, "Magnetic field = ", "(F12.4)", in.field, " Gs");

  scatterPanel(v, crossings.count, crossings.radius.from(1), crossings.slope.from(1));

  static DensityHistogram histogram;
  densityHistogram(crossings.count, crossings.radius, crossings.current, startRadiusSpacing(data),
                   in.densityDivisions, OuterShares::kCountInEdgeBin, histogram);
  drawHistogram(v, histogram);
  return histogram.divisionsUsed;
}

}  // namespace kelm::klplot
