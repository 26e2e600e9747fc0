#include "source/klplot/panel_axes.h"

#include <array>
#include <cmath>

#include "records/formatted.h"
#include "source/klplot/nice_step.h"
#include "source/klplot/plot_mapping.h"

namespace kelm::klplot {
namespace {

// The rule gives at most 13 ticks; the list stops at its room rather than overrun it.
constexpr int kMaxTicks = 20;

struct Ticks {
  std::array<float, kMaxTicks> t{};
  int n = 0;
};

void drawLabel(const ViewContext& v, double x, double y, std::string_view format, double value) {
  std::array<char, 8> text{};
  text.fill(' ');
  (void)records::writeInternal(text, format, value);
  textAtPoint(v.canvas, x, y, std::string_view(text.data(), text.size()), v.textHeight);
}

}  // namespace

void setViewDevice(const ViewContext& v) { setDeviceSize(v.W - 16, v.H / 2 - 24); }

void panelAxesForExtents(const ViewContext& v, double xmax, double ymin, double ymax,
                         PanelViewport panel) {
  const double xmin = 0.0;
  double dy = ymax - ymin;
  if (dy == 0.0) {
    dy = 10.0;
    ymax = ymin + 10.0;
  }
  double dx = xmax;
  if (xmax == 0.0) xmax = dx = 10.0;
  const NiceStep ys = niceStep(dy, StepVariant::kPanel);
  const NiceStep xs = niceStep(dx, StepVariant::kPanel);
  const double sy = std::pow(10.0, ys.exponent), sx = std::pow(10.0, xs.exponent);
  const double uy = ys.unit, ux = xs.unit;

  const double yv = ymin * sy;
  double y0 = std::trunc(yv);
  if (yv < 0.0) y0 -= 1.0;
  while (yv - y0 > uy) y0 += uy;
  const double y1 = ymax * sy;
  Ticks yt;
  yt.t[0] = float(y0);
  yt.n = 1;
  while (yt.n < kMaxTicks) {
    yt.t[yt.n] = float(double(yt.t[yt.n - 1]) + uy);
    ++yt.n;
    if (!(double(yt.t[yt.n - 1]) - y1 <= -0.001)) break;
  }
  const double y1e = yt.t[yt.n - 1];

  const double x0 = std::trunc(xmin * sx);
  const double x1 = xmax * sx;
  Ticks xt;
  xt.t[0] = float(x0);
  xt.n = 1;
  while (xt.n < kMaxTicks) {
    xt.t[xt.n] = float(double(xt.t[xt.n - 1]) + ux);
    ++xt.n;
    if (!(double(xt.t[xt.n - 1]) <= x1)) break;
  }
  const double x1e = xt.t[xt.n - 1];

  const double mx = (x1e - x0) * 0.25, my = (y1e - y0) * 0.15;
  setViewDevice(v);
  setWindow(1, x0 - mx, x1e + mx, y0 - 2.0 * my, y1e + my);
  setViewport(1, panel.left, panel.right, 0.0, 0.7);

  Canvas& c = v.canvas;
  c.setDrawColor(kGrey);
  for (int k = 0; k < xt.n; ++k) line(c, xt.t[k], y0, xt.t[k], y1e);
  for (int k = 0; k < yt.n; ++k) line(c, x0, yt.t[k], x1e, yt.t[k]);

  c.setDrawColor(kBlack);
  const std::string_view yFormat = ys.exponent < 3 ? "(F7.4)" : "(G8.2)";
  for (int k = 0; k < yt.n; ++k) {
    if (yt.n > 7 && k % 2 != 0) continue;  // k is zero-based: odd ticks are even k here
    drawLabel(v, -1.15 * mx, yt.t[k] - 0.4 * my, yFormat, yt.t[k] / sy);
  }
  for (int k = 0; k < xt.n; ++k) {
    if (xt.n > 5 && k % 2 != 0) continue;
    drawLabel(v, xt.t[k] - 0.35 * mx, y0 - my, "(F6.1)", xt.t[k] / sx);
  }
  textAtPoint(c, x1e + 0.5 * mx, y0 - my, "R(mm)", v.textHeight);

  setWindow(1, (x0 - mx) / sx, (x1e + mx) / sx, (y0 - 2.0 * my) / sy, (y1e + my) / sy);
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
  dots(v.canvas, n, x, y);
}

}  // namespace kelm::klplot
