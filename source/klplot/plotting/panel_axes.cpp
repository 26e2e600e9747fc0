#include "source/klplot/plotting/panel_axes.h"

#include "records/formatted.h"
#include "runtime/fixed_text.h"
#include "source/klplot/plotting/panel_scale.h"
#include "source/klplot/plotting/plot_mapping.h"

namespace kelm::klplot {
namespace {

void drawLabel(const ViewContext& v, double x, double y, std::string_view format, double value) {
  FixedText<8> text;
  (void)records::writeInternal(text.span(), format, value);
  v.mapping.textAtPoint(v.canvas, x, y, text.view(), v.textHeight);
}

}  // namespace

void panelAxesForExtents(const ViewContext& v, double xmax, double ymin, double ymax,
                         PanelViewport panel) {
  const PanelScale s = panelScale(xmax, ymin, ymax);
  const double x0 = s.x.first(), x1e = s.x.last(), y0 = s.y.first(), y1e = s.y.last();
  const double mx = (x1e - x0) * 0.25, my = (y1e - y0) * 0.15;
  setViewDevice(v);
  v.mapping.setWindow(1, x0 - mx, x1e + mx, y0 - 2.0 * my, y1e + my);
  v.mapping.setViewport(1, panel.left, panel.right, 0.0, 0.7);

  Canvas& c = v.canvas;
  c.setDrawColor(kGrey);
  for (int k = 0; k < s.x.n; ++k) v.mapping.line(c, s.x[k], y0, s.x[k], y1e);
  for (int k = 0; k < s.y.n; ++k) v.mapping.line(c, x0, s.y[k], x1e, s.y[k]);

  c.setDrawColor(kBlack);
  const std::string_view yFormat = panelLabelFormat(s.ey);
  for (int k = 0; k < s.y.n; ++k) {
    if (tickLabelled(k, s.y.n, 7))
      drawLabel(v, -1.15 * mx, s.y[k] - 0.4 * my, yFormat, s.y[k] / s.fy);
  }
  for (int k = 0; k < s.x.n; ++k) {
    if (tickLabelled(k, s.x.n, 5)) drawLabel(v, s.x[k] - 0.35 * mx, y0 - my, "(F6.1)", s.x[k] / s.fx);
  }
  v.mapping.textAtPoint(c, x1e + 0.5 * mx, y0 - my, "R(mm)", v.textHeight);

  v.mapping.setWindow(1, (x0 - mx) / s.fx, (x1e + mx) / s.fx, (y0 - 2.0 * my) / s.fy, (y1e + my) / s.fy);
}

void panelAxes(const ViewContext& v, int n, const float* x, const float* y, PanelViewport panel) {
  double xmax = 0.0, ymax = 0.0, ymin = 0.0;
  for (int i = 0; i < n; ++i) {
    if (x[i] > xmax) xmax = x[i];
    if (y[i] > ymax) ymax = y[i];
    if (y[i] < ymin) ymin = y[i];
  }
  panelAxesForExtents(v, xmax, ymin, ymax, panel);
}

void scatterPanel(const ViewContext& v, int n, const float* x, const float* y) {
  panelAxes(v, n, x, y, kLeftPanel);
  v.mapping.dots(v.canvas, n, x, y);
}

}  // namespace kelm::klplot
