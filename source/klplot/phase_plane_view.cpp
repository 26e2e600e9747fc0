#include "source/klplot/phase_plane_view.h"

#include <array>
#include <cmath>
#include <string>

#include "records/formatted.h"
#include "source/klplot/beam_figures.h"
#include "source/klplot/density_histogram.h"
#include "source/klplot/panel_axes.h"
#include "source/klplot/plot_mapping.h"
#include "source/klplot/staircase.h"

namespace kelm::klplot {
namespace {

// One figure: the literal, the number in a fixed-length field, the unit.
template <std::size_t N, class T>
void drawFigure(const ViewContext& v, double x, double y, std::string_view head,
                std::string_view format, T value, std::string_view tail) {
  std::array<char, N> number;
  number.fill(' ');
  (void)records::writeInternal(number, format, value);
  std::string text(head);
  text.append(number.data(), number.size());
  text.append(tail);
  textAtPoint(v.canvas, x, y, text, v.textHeight);
}

void drawHistogram(const ViewContext& v, const DensityHistogram& h) {
  double jMax = 0.0, jMin = 0.0;
  for (int m = 1; m <= h.bins; ++m) {
    if (h.density(m) > jMax) jMax = h.density(m);
    if (h.density(m) < jMin) jMin = h.density(m);
  }
  panelAxesForExtents(v, h.rMax, jMin, jMax, kRightPanel);
  Canvas& c = v.canvas;
  const std::int32_t previous = c.setDrawColor(kRed);
  drawStaircase(plotMapping, c, h);
  c.setDrawColor(previous);
}

}  // namespace

std::int32_t drawPhasePlaneView(const ViewContext& v, const ProjectData& data,
                                const PhasePlaneInput& in) {
  static Crossings crossings;  // 12 kB: kept off the program thread's stack
  findCrossings(data, in.phaseZ, crossings);

  setViewDevice(v);
  setWindow(1, 0.0, 1.0, 0.0, 1.0);
  setViewport(1, 0.0, 1.0, 0.0, 1.0);
  Canvas& c = v.canvas;
  textAtPoint(c, 0.2, 0.66, "Phase plane", v.textHeight);
  textAtPoint(c, 0.65, 0.66, "Current density (A/mm**2)", v.textHeight);
  drawFigure<7>(v, 0.38, 0.83, "Rmax = ", "(F7.2)", crossings.rMax, " mm");
  drawFigure<7>(v, 0.1, 0.93, "Zcross = ", "(F6.1)", in.phaseZ, " mm");
  drawFigure<7>(v, 0.1, 0.83, "Current = ", "(F7.2)", crossings.totalCurrent, " A");
  drawFigure<7>(v, 0.6, 0.83, "Emittance = ", "(F7.4)", crossings.emittance, " mm*rad");
  drawFigure<15>(v, 0.6, 0.93, "Magnetic field = ", "(F12.4)", in.field, " Gs");

  scatterPanel(v, crossings.count, crossings.radius.from(1), crossings.slope.from(1));

  const double spacing =
      data.trajCount >= 2 ? std::fabs(data.trajR(2, 1) - data.trajR(1, 1)) : 0.0;
  static DensityHistogram histogram;
  densityHistogram(crossings.count, crossings.radius, crossings.current, spacing,
                   in.densityDivisions, OuterShares::kCountInEdgeBin, histogram);
  drawHistogram(v, histogram);
  return histogram.divisionsUsed;
}

}  // namespace kelm::klplot
