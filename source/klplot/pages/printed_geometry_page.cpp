// The printed geometry page: a header block, then the gun's axial section over a z axis.
#include <string_view>

#include "records/formatted.h"
#include "runtime/fixed_text.h"
#include "source/klplot/pages/page_drawing.h"
#include "source/klplot/pages/printed_pages.h"
#include "source/klplot/plotting/tick_label.h"
#include "source/klplot/plotting/tick_walk.h"
#include "source/klplot/views/section_drawing.h"

namespace kelm::klplot {
namespace {

// KELM's own address line, 22 characters, under a domain reserved for examples.
constexpr std::string_view kAddressLine = "kelm-beams.example.org";
static_assert(kAddressLine.size() == 22);

void drawHeader(PageCanvas& c, PlotMapping& m, const ProjectData& d) {
  m.setWindow(1, 0.0, 1.0, 0.0, 1.0);
  m.setViewport(1, 0.0, 1.0, 0.0, 1.0);
  m.rectangleOutline(c, 0.1, 0.55, 0.83, 0.95);
  pageText(c, m, 0.15, 0.92, "   KELM demo versioin");
  pageText(c, m, 0.15, 0.87, kAddressLine);
  m.rectangleOutline(c, 0.55, 1.0, 0.83, 0.89);
  m.rectangleOutline(c, 0.55, 1.0, 0.89, 0.95);
  pageText(c, m, 0.6, 0.92, "  iteration N= ");
  pageText(c, m, 0.56, 0.87, "beam current I=");
  FixedText<3> iteration;
  FixedText<7> current;
  (void)records::writeInternal(iteration.span(), "(I3)", d.resultIteration);
  (void)records::writeInternal(current.span(), "(F7.2)", d.totalCurrent);
  pageText(c, m, 0.8, 0.92, iteration.view());
  pageText(c, m, 0.78, 0.87, current.view());
  pageText(c, m, 0.91, 0.87, "A");
}

void drawZAxis(PageCanvas& c, PlotMapping& m, const ProjectData& d, const SectionLayout& s) {
  const double tickUnit = 0.09 * d.rAxisMax;
  const double axisY = -1.2 * d.rAxisMax;
  const double tickTop = axisY + 0.04 * (d.rAxisMax - d.rAxisMin);
  const double labelY = tickTop + 1.7 * tickUnit;
  const double width = d.zAxisMax - s.zWindowStart;
  float lastLabelPos = -1.0f;
  walkTicks(d.zAxisMinF, d.zAxisMaxF, d.zTickStep, [&](float z) {
    FixedText<5> label;
    tickLabel(z, label.span(), 5);
    const double pos = (z - s.zWindowStart) / width * (s.vx2 - s.vx1);
    if (lastLabelPos + 0.07 < pos) {
      m.rightAlignedText(c, z, labelY, label.view());
      lastLabelPos = static_cast<float>(pos);
      m.line(c, z, axisY, z, tickTop);
    } else {
      m.line(c, z, axisY, z, axisY + 0.02 * (d.rAxisMax - d.rAxisMin));
    }
  });
  m.line(c, d.zAxisMinF, axisY, d.zAxisMaxF, axisY);
}

}  // namespace

SectionLayout sectionLayout(const ProjectData& d) {
  SectionLayout s;
  s.zWindowStart = pageZWindowStart(d);
  const double t = d.rAxisMax / (d.zAxisMax - s.zWindowStart) * 2.0;
  // Either way the section keeps its proportions, as the page square is square on paper.
  if (t >= 0.4444444444444445) {
    const double w = 0.4 / t;
    s.vx1 = (1.1 - w) * 0.5, s.vx2 = (1.1 + w) * 0.5, s.vy1 = 0.45, s.vy2 = 0.85;
  } else {
    const double h = 0.45 * t;
    s.vx1 = 0.1, s.vx2 = 1.0, s.vy1 = 0.65 - h, s.vy2 = 0.65 + h;
  }
  return s;
}

void printGeometryPage(PageCanvas& c, PlotMapping& m, const ProjectData& d, GeometryToggles shown) {
  drawHeader(c, m, d);
  const SectionLayout s = sectionLayout(d);
  m.setWindow(1, s.zWindowStart, d.zAxisMax, -d.rAxisMax, d.rAxisMax);
  m.setViewport(1, s.vx1, s.vx2, s.vy1, s.vy2);
  drawZAxis(c, m, d, s);
  drawOutline(m, c, d, [](int) {}, [] {});
  if (shown.beam) drawTrajectories(m, c, d);
  if (shown.potential) drawEquipotentials(m, c, d, [](int) {});
}

}  // namespace kelm::klplot
