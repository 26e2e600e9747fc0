// The printed figures and the cathode current density page.
#include "source/klplot/pages/printed_figures.h"

#include <functional>
#include <string_view>

#include "records/formatted.h"
#include "runtime/fixed_text.h"
#include "source/klplot/figures/density_histogram.h"
#include "source/klplot/figures/staircase.h"
#include "source/klplot/pages/page_drawing.h"
#include "source/klplot/pages/printed_pages.h"
#include "source/klplot/plotting/panel_scale.h"

namespace kelm::klplot {
namespace {

struct Viewport {
  double x1, x2, y1, y2;
};

// The grid and its labels in scaled units, then the data in real units, drawn by drawData with
// the thick pen. labelOffset says how far below the grid the x labels sit, in margins; without
// a viewport of its own the frame keeps the caller's.
void drawFrame(PageCanvas& c, PlotMapping& m, double xmax, double ymin, double ymax, double labelOffset,
               const Viewport* viewport, const std::function<void()>& drawData) {
  const PanelScale s = panelScale(xmax, ymin, ymax);
  const double lo = s.y.first(), top = s.y.last(), right = s.x.last();
  const double mx = 0.27 * right, my = 0.27 * (top - lo);
  m.setWindow(1, -mx, right, lo - my, top);
  if (viewport != nullptr) m.setViewport(1, viewport->x1, viewport->x2, viewport->y1, viewport->y2);

  FixedText<8> label;
  const std::string_view labelText = label.view();
  const std::string_view yFormat = panelLabelFormat(s.ey);
  for (int k = 0; k < s.y.n; ++k) {
    if (!tickLabelled(k, s.y.n, 7)) continue;
    (void)records::writeInternal(label.span(), yFormat, s.y[k] / s.fy);
    pageText(c, m, -1.15 * mx, s.y[k] + (top - lo) / 48.0, labelText);
  }
  for (int k = 0; k < s.x.n; ++k) m.line(c, s.x[k], lo, s.x[k], top);
  for (int k = 0; k < s.y.n; ++k) m.line(c, 0.0, s.y[k], right, s.y[k]);
  const double labelY = lo - labelOffset * my;
  for (int k = 0; k < s.x.n; ++k) {
    if (!tickLabelled(k, s.x.n, 5)) continue;
    (void)records::writeInternal(label.span(), "(F5.1)", s.x[k] / s.fx);
    m.rightAlignedText(c, s.x[k], labelY, labelText);
  }
  m.rightAlignedText(c, right / 2.0, labelY - 0.2 * (top - lo), "R(mm)");

  m.setWindow(1, -mx / s.fx, right / s.fx, (lo - my) / s.fy, top / s.fy);
  const std::int32_t previousPen = c.setPenWidth(kThickPen);
  drawData();
  c.setPenWidth(previousPen);
}

}  // namespace

void printScatterPlot(PageCanvas& c, PlotMapping& m, int n, const float* x, const float* y) {
  double xmax = 0.0, ymin = 0.0, ymax = 0.0;
  for (int i = 0; i < n; ++i) {
    if (x[i] > xmax) xmax = x[i];
    if (y[i] < ymin) ymin = y[i];
    if (y[i] > ymax) ymax = y[i];
  }
  drawFrame(c, m, xmax, ymin, ymax, 0.325, nullptr, [&] { m.points(c, n, x, y); });
}

void printDensityHistogram(PageCanvas& c, PlotMapping& m, int n, const Array1<float, kMaxTrajectories>& radius,
                           const Array1<float, kMaxTrajectories>& current, double startSpacing,
                           std::int32_t divisions) {
  DensityHistogram histogram;
  densityHistogram(n, radius, current, startSpacing, divisions, OuterShares::kDrop, histogram);
  const DensityRange range = densityRange(histogram);
  const Viewport beside{0.57, 1.02, 0.31, 0.7};
  drawFrame(c, m, histogram.rMax, range.low, range.high, 0.3, &beside,
            [&] { drawStaircase(m, c, histogram); });
}

void printCathodePage(PageCanvas& c, PlotMapping& m, const ProjectData& d) {
  m.setWindow(1, 0.0, 1.0, 0.0, 1.0);
  m.setViewport(1, 0.02, 0.52, 0.48, 0.88);
  pageText(c, m, 0.15, 1.12, "Current density on cathode (A/mm**2)");
  printScatterPlot(c, m, storedTrajectories(d), d.cathodeR.from(1), d.cathodeDensity.from(1));
}

}  // namespace kelm::klplot
