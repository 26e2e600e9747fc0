#include "source/klplot/views/zoomed_beam.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "runtime/fixed_text.h"
#include "source/klplot/plotting/nice_step.h"
#include "source/klplot/plotting/plot_mapping.h"
#include "source/klplot/project/single_precision.h"
#include "source/klplot/plotting/tick_label.h"
#include "source/klplot/plotting/tick_walk.h"

namespace kelm::klplot {
namespace {

constexpr std::int32_t kWhite = 0xFFFFFF;

void blank(Canvas& c, double x1, double y1, double x2, double y2) {
  if (x2 < x1 || y2 < y1) return;
  c.drawRectangle(3, toPixel(x1), toPixel(y1), toPixel(x2), toPixel(y2));
}

}  // namespace

double zoomedTickStep(double span) {
  const NiceStep nice = niceStep(span, StepVariant::kPanel);
  return nice.unit * std::pow(10.0, -nice.exponent);
}

AxialFrame zoomedBeamFrame(const ViewContext& v, const AxialZoom& zoom) {
  return zoomedFrame(v.W - 16, v.H / 2 - 24, zoom);
}

void drawZoomedMargins(const ViewContext& v, const AxialFrame& f) {
  Canvas& c = v.canvas;
  const double w = f.plotWidth, h = f.plotHeight;
  const double left = double(f.left) * w, right = double(f.right) * w;
  const double bottom = (1.0 - double(f.bottom)) * h;
  c.setDrawColor(kWhite);
  blank(c, 0.0, 0.0, left - 1.0, v.H);
  blank(c, right + 1.0, 0.0, v.W, v.H);
  blank(c, 0.0, bottom + 1.0, v.W, v.H);

  c.setDrawColor(kBlack);
  const double half = 0.5 * (f.valueHigh - f.valueLow);
  const double y0 = f.valueLow - 0.15 * half, yT = y0 + 0.04 * half;
  const double span = f.zEnd - f.zStart;
  const double step = zoomedTickStep(span);
  // A label is centred on its tick by about half its width, in mm of this frame.
  const double perPixel = right > left ? span / (right - left) : 0.0;
  const double labelShift = 0.25 * v.textHeight * perPixel;
  walkTicks(saturatedSingle(std::ceil(f.zStart / step) * step), f.zEnd, step, [&](float z) {
    if (z < f.zStart) return;
    FixedText<8> text;
    tickLabel(z, text.span(), 8);
    std::string_view label = text.view();
    label.remove_prefix(std::min(label.find_first_not_of(' '), label.size()));
    label = label.substr(0, label.find_last_not_of(' ') + 1);
    v.mapping.textAtPoint(c, z - labelShift * double(label.size()), yT + 0.02 * half, label,
                          v.textHeight);
    v.mapping.line(c, z, y0, z, yT);
  });
  v.mapping.line(c, f.zStart, y0, f.zEnd, y0);
}

}  // namespace kelm::klplot
