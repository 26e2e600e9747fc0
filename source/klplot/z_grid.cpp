#include "source/klplot/z_grid.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "source/klplot/plot_mapping.h"
#include "source/klplot/tick_label.h"

namespace kelm::klplot {
namespace {

// A step too small to move a single-precision value any further would never end a loop.
constexpr int kMaxGridLines = 1000;

std::string_view viewOf(const GridLabel& l) { return {l.data(), l.size()}; }

// Whole multiples of the step, as the integer the quotient is turned into; saturated, since a
// quotient beyond 64 bits has no integer.
double wholeSteps(double quotient) { return double(std::int64_t(std::clamp(quotient, -9.0e18, 9.0e18))); }

}  // namespace

ValueAxis roundedValueAxis(double low, double high, StepVariant variant) {
  const NiceStep nice = niceStep(high - low, variant);
  // The panel variant scales the data by 10^exponent instead of the step.
  const int exponent = variant == StepVariant::kPanel ? -nice.exponent : nice.exponent;
  const double step = nice.unit * std::pow(10.0, exponent);
  return {wholeSteps(std::floor(low / step)) * step, wholeSteps(std::ceil(high / step)) * step, step};
}

void drawZGrid(const ViewContext& v, AxialRange z, double y0, double y1) {
  Canvas& c = v.canvas;
  const double labelY = y0 - 0.09 * (y1 - y0);
  if (z.zMin <= z.zMax && z.zStep > 0.0f) {
    int lines = 0;
    for (float at = z.zMin; at <= z.zMax && lines < kMaxGridLines; at += z.zStep, ++lines) {
      c.setDrawColor(kGrey);
      line(c, at, y0, at, y1);
      GridLabel text;
      text.fill(' ');
      tickLabel(at, text, 6);
      c.setDrawColor(kBlack);
      textAtPoint(c, at - 0.025 * (double(z.zMax) - z.zMin), labelY, viewOf(text), v.textHeight);
    }
  }
  c.setDrawColor(kBlack);
  textAtPoint(c, double(z.zMax) + 0.5 * z.zStep, labelY, "Z(mm)", v.textHeight);
}

void drawValueGrid(const ViewContext& v, AxialRange z, double y0, double y1, double step,
                   const std::function<GridLabel(float)>& labelOf) {
  Canvas& c = v.canvas;
  const double labelX = z.zMin - (double(z.zMax) - z.zMin) * 0.06666666666666667;
  int lines = 0;
  for (float b = float(y0); b <= y1 && lines < kMaxGridLines; b = float(double(b) + step), ++lines) {
    if (b < y0) continue;
    c.setDrawColor(kGrey);
    line(c, z.zMin, b, z.zMax, b);
    c.setDrawColor(kBlack);
    textAtPoint(c, labelX, b, viewOf(labelOf(b)), v.textHeight);
  }
}

}  // namespace kelm::klplot
