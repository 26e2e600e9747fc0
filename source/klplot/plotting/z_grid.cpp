#include "source/klplot/plotting/z_grid.h"

#include <cmath>
#include <string_view>

#include "source/klplot/plotting/plot_mapping.h"
#include "source/klplot/plotting/tick_label.h"
#include "source/klplot/plotting/tick_walk.h"
#include "source/klplot/project/single_precision.h"

namespace kelm::klplot {
ValueAxis roundedValueAxis(double low, double high, StepVariant variant) {
  const NiceStep nice = niceStep(high - low, variant);
  // The panel variant scales the data by 10^exponent instead of the step.
  const int exponent = variant == StepVariant::kPanel ? -nice.exponent : nice.exponent;
  const double step = nice.unit * std::pow(10.0, exponent);
  // floor and ceiling already give whole numbers: no conversion to an integer, which a value
  // far above its step would overflow.
  return {std::floor(low / step) * step, std::ceil(high / step) * step, step};
}

void drawZGrid(const ViewContext& v, AxialRange z, double y0, double y1) {
  Canvas& c = v.canvas;
  const double labelY = y0 - 0.09 * (y1 - y0);
  if (z.zMin <= z.zMax && z.zStep > 0.0f) {
    const float first = z.wholeSteps ? saturatedSingle(std::ceil(z.zMin / z.zStep) * z.zStep) : z.zMin;
    walkTicks(first, z.zMax, z.zStep, [&](float at) {
      if (at < z.zMin) return;
      c.setDrawColor(kGrey);
      v.mapping.line(c, at, y0, at, y1);
      GridLabel text;
      tickLabel(at, text.span(), 6);
      c.setDrawColor(kBlack);
      v.mapping.textAtPoint(c, at - 0.025 * (double(z.zMax) - z.zMin), labelY, text.view(), v.textHeight);
    });
  }
  c.setDrawColor(kBlack);
  v.mapping.textAtPoint(c, double(z.zMax) + 0.5 * z.zStep, labelY, "Z(mm)", v.textHeight);
}

void drawValueGrid(const ViewContext& v, AxialRange z, double y0, double y1, double step,
                   const std::function<GridLabel(float)>& labelOf) {
  Canvas& c = v.canvas;
  const double labelX = z.zMin - (double(z.zMax) - z.zMin) * 0.06666666666666667;
  walkTicks(saturatedSingle(y0), y1, step, [&](float b) {
    if (b < y0) return;
    c.setDrawColor(kGrey);
    v.mapping.line(c, z.zMin, b, z.zMax, b);
    c.setDrawColor(kBlack);
    v.mapping.textAtPoint(c, labelX, b, labelOf(b).view(), v.textHeight);
  });
}

}  // namespace kelm::klplot
