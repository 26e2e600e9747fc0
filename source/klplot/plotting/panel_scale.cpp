#include "source/klplot/plotting/panel_scale.h"

#include <cmath>

#include "source/klplot/plotting/nice_step.h"

namespace kelm::klplot {

PanelScale panelScale(double xmax, double ymin, double ymax) {
  double dy = ymax - ymin;
  if (dy == 0.0) {
    dy = 10.0;
    ymax = ymin + 10.0;
  }
  double dx = xmax;
  if (xmax == 0.0) xmax = dx = 10.0;
  const NiceStep ys = niceStep(dy, StepVariant::kPanel);
  const NiceStep xs = niceStep(dx, StepVariant::kPanel);
  PanelScale s;
  s.ey = ys.exponent;
  s.ex = xs.exponent;
  s.fy = std::pow(10.0, ys.exponent);
  s.fx = std::pow(10.0, xs.exponent);
  const double uy = ys.unit, ux = xs.unit;

  const double yv = ymin * s.fy;
  double y0 = std::trunc(yv);
  if (yv < 0.0) y0 -= 1.0;
  while (yv - y0 > uy) y0 += uy;
  const double y1 = ymax * s.fy;
  s.y[0] = float(y0);
  s.y.n = 1;
  while (s.y.n < kMaxPanelTicks) {
    s.y[s.y.n] = float(double(s.y[s.y.n - 1]) + uy);
    ++s.y.n;
    if (!(double(s.y[s.y.n - 1]) - y1 <= -0.001)) break;
  }

  const double x1 = xmax * s.fx;
  s.x[0] = 0.0f;
  s.x.n = 1;
  while (s.x.n < kMaxPanelTicks) {
    s.x[s.x.n] = float(double(s.x[s.x.n - 1]) + ux);
    ++s.x.n;
    if (!(double(s.x[s.x.n - 1]) <= x1)) break;
  }
  return s;
}

}  // namespace kelm::klplot
