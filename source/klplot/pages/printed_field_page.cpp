// The printed magnetic field page: B(z) over a black grid, the curve drawn with the thick pen.
#include <string_view>

#include "records/formatted.h"
#include "runtime/fixed_text.h"
#include "source/klplot/pages/page_drawing.h"
#include "source/klplot/pages/printed_pages.h"
#include "source/klplot/plotting/tick_walk.h"
#include "source/klplot/project/single_precision.h"
#include "source/klplot/views/field_view.h"

namespace kelm::klplot {

void printFieldPage(PageCanvas& c, PlotMapping& m, const ProjectData& d) {
  const int n = d.magCount < kMaxMagSamples ? d.magCount : kMaxMagSamples;
  if (n < 1) return;
  const ValueAxis axis = fieldAxis(d, n);
  const double bLow = axis.y0, bHigh = axis.y1;
  const double zMin = d.zAxisMinF, zMax = d.zAxisMaxF;
  m.setWindow(1, pageZWindowStart(d), d.zAxisMax, bLow, bHigh);
  m.setViewport(1, 0.15, 1.0, 0.5, 0.9);
  pageText(c, m, zMin + 0.1 * (zMax - zMin), bHigh + 0.08 * (bHigh - bLow), "Magnetic field, Gs");

  const double labelY = bLow - 0.09 * (bHigh - bLow);
  walkTicks(d.zAxisMinF, zMax, d.zTickStep, [&](float z) {
    m.line(c, z, saturatedSingle(bLow), z, saturatedSingle(bHigh));
    FixedText<8> label;
    (void)records::writeInternal(label.span(), "(F6.0)", z);
    m.rightAlignedText(c, z, labelY, label.view());
  });
  pageText(c, m, zMax + 0.05 * (zMax - zMin), labelY, "Z(mm)");

  // The lines start at z = 0 and their labels stand a seventh of the z range left of it.
  const double labelX = -(zMax - zMin) / 7.0;
  walkTicks(saturatedSingle(bLow), bHigh, axis.step, [&](float b) {
    if (b < bLow) return;
    m.line(c, 0.0, b, d.zAxisMax, b);
    pageText(c, m, labelX, b, fieldLabel(b, 10000.0f).view());
  });

  int inRange = 0;
  while (inRange < n && d.magZ(inRange + 1) <= d.zAxisMaxF) ++inRange;
  if (inRange < 2) return;
  const std::int32_t previousPen = c.setPenWidth(kThickPen);
  m.polyline(c, inRange, d.magZ.from(1), d.magB.from(1));
  c.setPenWidth(previousPen);
}

}  // namespace kelm::klplot
