#include "source/klplot/field_view.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

#include "records/formatted.h"
#include "source/klplot/display_state.h"
#include "source/klplot/nice_step.h"
#include "source/klplot/plot_mapping.h"
#include "source/klplot/single_precision.h"
#include "source/klplot/tick_label.h"
#include "source/klplot/tick_walk.h"

namespace kelm::klplot {
namespace {

using Label = std::array<char, 8>;

std::string_view viewOf(const Label& l) { return {l.data(), l.size()}; }

// Whole thousands of b; beyond 32 bits the label shows asterisks all the same.
std::int32_t thousands(float b) {
  const double k = std::trunc(b * 0.001);
  constexpr double kLimit = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(std::clamp(k, -kLimit, kLimit));
}

}  // namespace

FieldAxis fieldAxis(const ProjectData& d, int n) {
  double bMin = d.magB(1), bMax = d.magB(1);
  for (int i = 2; i <= n; ++i) {
    if (!(d.magZ(i) < d.zAxisMaxF)) continue;
    if (d.magB(i) < bMin) bMin = d.magB(i);
    if (d.magB(i) > bMax) bMax = d.magB(i);
  }
  if (bMax - bMin == 0.0) bMax = bMin + 5.5;
  const NiceStep step = niceStep(bMax - bMin, StepVariant::kField);
  const double sB = step.unit * std::pow(10.0, step.exponent);
  // floor and ceiling already give whole numbers: no conversion to an integer, which a field
  // far above its step would overflow.
  return {std::floor(bMin / sB) * sB, std::ceil(bMax / sB) * sB, sB};
}

Label fieldLabel(float b, float kiloBeyond) {
  Label text;
  text.fill(' ');
  if (b > kiloBeyond || b < -kiloBeyond)
    (void)records::writeInternal(text, "(I4,'K')", thousands(b));
  else if (b > 10.0f || b < -10.0f)
    (void)records::writeInternal(text, "(F6.0)", b);
  else
    (void)records::writeInternal(text, "(F4.1)", b);
  return text;
}

void drawFieldView(const ViewContext& v, const ProjectData& d) {
  Canvas& c = v.canvas;
  setViewDevice(v);
  displayState.gL.store(0.1f);
  displayState.gR.store(0.9f);
  const int n = d.magCount < kMaxMagSamples ? d.magCount : kMaxMagSamples;
  if (n < 1) return;

  const FieldAxis axis = fieldAxis(d, n);
  const double b0 = axis.low, b1 = axis.high, sB = axis.step;

  const float zMin = d.zAxisMinF, zMax = d.zAxisMaxF, zStep = d.zTickStep;
  setWindow(1, zMin, zMax, b0, b1);
  setViewport(1, 0.1, 0.9, 0.15, 0.9);
  textAtPoint(c, double(zMin) + zStep, b1 + (b1 - b0) * 0.02, "Magnetic field, Gs", v.textHeight);

  const double labelY = b0 - 0.09 * (b1 - b0);
  if (zMin <= zMax && zStep > 0.0f) {
    walkTicks(zMin, zMax, zStep, [&](float z) {
      c.setDrawColor(kGrey);
      line(c, z, b0, z, b1);
      Label text;
      text.fill(' ');
      tickLabel(z, text, 6);
      c.setDrawColor(kBlack);
      textAtPoint(c, z - 0.025 * (double(zMax) - zMin), labelY, viewOf(text), v.textHeight);
    });
  }
  c.setDrawColor(kBlack);
  textAtPoint(c, double(zMax) + 0.5 * zStep, labelY, "Z(mm)", v.textHeight);

  const double labelX = zMin - (double(zMax) - zMin) * 0.06666666666666667;
  walkTicks(saturatedSingle(b0), b1, sB, [&](float b) {
    if (b < b0) return;
    c.setDrawColor(kGrey);
    line(c, zMin, b, zMax, b);
    c.setDrawColor(kBlack);
    textAtPoint(c, labelX, b, viewOf(fieldLabel(b, 9999.0f)), v.textHeight);
  });

  int i1 = 1;
  while (i1 <= n && !(d.magZ(i1) >= zMin)) ++i1;
  // With no sample beyond the range the curve runs to the last sample.
  int iE = i1;
  while (iE <= n && !(d.magZ(iE) > zMax)) ++iE;
  if (iE - i1 > 1) polyline(c, iE - i1, d.magZ.from(i1), d.magB.from(i1));
}

}  // namespace kelm::klplot
