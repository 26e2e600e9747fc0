#include "source/klplot/views/field_view.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "records/formatted.h"
#include "source/klplot/plotting/plot_mapping.h"
#include "source/klplot/plotting/z_grid.h"
#include "source/klplot/project/single_precision.h"
#include "source/klplot/views/display_state.h"
#include "source/klplot/views/zoomed_beam.h"

namespace kelm::klplot {
namespace {

// Whole thousands of b; beyond 32 bits the label shows asterisks all the same.
std::int32_t thousands(float b) {
  const double k = std::trunc(b * 0.001);
  constexpr double kLimit = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(std::clamp(k, -kLimit, kLimit));
}

}  // namespace

ValueAxis fieldAxis(const ProjectData& d, int n) {
  double bMin = d.magB(1), bMax = d.magB(1);
  for (int i = 2; i <= n; ++i) {
    if (!(d.magZ(i) < d.zAxisMaxF)) continue;
    if (d.magB(i) < bMin) bMin = d.magB(i);
    if (d.magB(i) > bMax) bMax = d.magB(i);
  }
  if (bMax - bMin == 0.0) bMax = bMin + 5.5;
  return roundedValueAxis(bMin, bMax, StepVariant::kField);
}

FixedText<8> fieldLabel(float b, float kiloBeyond) {
  FixedText<8> text;
  if (b > 10.0f || b < -10.0f) {
    if (!(b > kiloBeyond || b < -kiloBeyond)) {
      (void)records::writeInternal(text.span(), "(F6.0)", b);
      // The printed page's threshold lets -10000 G through, too wide for F6.0: rather than
      // asterisks it gets the thousands form of its neighbours.
      if (text[0] != '*') return text;
      text = "";
    }
    (void)records::writeInternal(text.span(), "(I4,'K')", thousands(b));
  } else {
    (void)records::writeInternal(text.span(), "(F4.1)", b);
  }
  return text;
}

AxialFrame drawFieldView(const ViewContext& v, const ProjectData& d) {
  Canvas& c = v.canvas;
  setViewDevice(v);
  // Zoomed, the window shows the "Beam" window's z range.
  const bool zoomed = v.zoom.active();
  const float zMin = zoomed ? saturatedSingle(v.zoom.zStart) : d.zAxisMinF;
  const float zMax = zoomed ? saturatedSingle(v.zoom.zEnd) : d.zAxisMaxF;
  const float zStep = zoomed ? saturatedSingle(zoomedTickStep(double(zMax) - zMin)) : d.zTickStep;
  AxialFrame frame{zMin, zMax, 0.1f, 0.9f, v.W - 16, 0.0, 0.0, 0.15f, 0.9f, v.H / 2 - 24};
  const int n = d.magCount < kMaxMagSamples ? d.magCount : kMaxMagSamples;
  if (n < 1) return frame;

  const ValueAxis axis = fieldAxis(d, n);
  const double b0 = axis.y0, b1 = axis.y1;
  frame.valueLow = b0, frame.valueHigh = b1;

  v.mapping.setWindow(1, zMin, zMax, b0, b1);
  v.mapping.setViewport(1, 0.1, 0.9, 0.15, 0.9);
  v.mapping.textAtPoint(c, double(zMin) + zStep, b1 + (b1 - b0) * 0.02, "Magnetic field, Gs", v.textHeight);

  const AxialRange range{zMin, zMax, zStep, zoomed};
  drawZGrid(v, range, b0, b1);
  drawValueGrid(v, range, b0, b1, axis.step, [](float b) { return fieldLabel(b, 9999.0f); });

  int i1 = 1;
  while (i1 <= n && !(d.magZ(i1) >= zMin)) ++i1;
  // With no sample beyond the range the curve runs to the last sample.
  int iE = i1;
  while (iE <= n && !(d.magZ(iE) > zMax)) ++iE;
  if (iE - i1 > 1) v.mapping.polyline(c, iE - i1, d.magZ.from(i1), d.magB.from(i1));
  return frame;
}

}  // namespace kelm::klplot
