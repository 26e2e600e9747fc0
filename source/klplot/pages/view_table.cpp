#include "source/klplot/pages/view_table.h"

#include <algorithm>

#include "source/klplot/pages/printed_pages.h"
#include "source/klplot/views/cathode_view.h"
#include "source/klplot/views/field_view.h"
#include "source/klplot/views/phase_plane_view.h"

namespace kelm::klplot {
namespace {

// The adapters below give every view the same signature, so that a view's own interface can
// change without touching the loops over the rows.

PhasePlaneInput phasePlaneInput(const ViewInputs& in) { return {in.z, in.fieldAtZ, in.densityDivisions}; }

ViewDrawn withFrame(const AxialFrame& frame, float z) { return {frame.column(z), 0, frame}; }

ViewDrawn drawBeam(const ViewContext& v, ProjectData& data, const ViewInputs& in) {
  return withFrame(drawGeometryView(v, data, in.shown), in.z);
}

ViewDrawn drawCathode(const ViewContext& v, ProjectData& data, const ViewInputs&) {
  drawCathodeView(v, data);
  return {};
}

ViewDrawn drawField(const ViewContext& v, ProjectData& data, const ViewInputs& in) {
  return withFrame(drawFieldView(v, data), in.z);
}

ViewDrawn drawPhasePlane(const ViewContext& v, ProjectData& data, const ViewInputs& in) {
  return {std::nullopt, drawPhasePlaneView(v, data, phasePlaneInput(in)), std::nullopt};
}

void printBeam(PageCanvas& c, PlotMapping& m, const ProjectData& data, const ViewInputs& in) {
  printGeometryPage(c, m, data, in.shown);
}
void printCathode(PageCanvas& c, PlotMapping& m, const ProjectData& data, const ViewInputs&) {
  printCathodePage(c, m, data);
}
void printField(PageCanvas& c, PlotMapping& m, const ProjectData& data, const ViewInputs&) {
  printFieldPage(c, m, data);
}
void printPhasePlane(PageCanvas& c, PlotMapping& m, const ProjectData& data, const ViewInputs& in) {
  printPhasePlanePage(c, m, data, phasePlaneInput(in));
}

ViewPlacement upperHalf(std::int32_t W, std::int32_t H) { return {0, 0, W, H / 2, true}; }
ViewPlacement lowerHalf(std::int32_t W, std::int32_t H) { return {0, H / 2, W, H / 2, true}; }
ViewPlacement centredQuarterBehind(std::int32_t W, std::int32_t H) { return {W / 4, H / 4, W / 2, H / 2, false}; }

// The Magnetic field window shares the Beam window's place and starts minimised.
constexpr ViewRow kRows[] = {
    {kBeamUnit, "Beam", "beam", wideViewSurface, upperHalf, false, true, MarkerSlot::beam, drawBeam, printBeam,
     "Print Geometry", 1},
    {kCathodeUnit, "Cathode", "cathode", cathodeViewSurface, centredQuarterBehind, false, true, MarkerSlot::none,
     drawCathode, printCathode, "Print Current density on cathode", 4},
    {kFieldUnit, "Magnetic field", "magnetic-field", wideViewSurface, upperHalf, true, true, MarkerSlot::field,
     drawField, printField, "Print Magnetic field", 2},
    {kPhasePlaneUnit, "Phase plane", "phase-plane", wideViewSurface, lowerHalf, false, false, MarkerSlot::none,
     drawPhasePlane, printPhasePlane, "Print Phase plane", 3},
};

static_assert(std::size(kRows) == kViewCount, "kViewCount counts the rows");

}  // namespace

std::span<const ViewRow, kViewCount> viewRows() { return kRows; }

std::array<const ViewRow*, kViewCount> printedViewRows() {
  std::array<const ViewRow*, kViewCount> rows{};
  for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = &kRows[i];
  std::ranges::sort(rows, {}, &ViewRow::printOrder);
  return rows;
}

const ViewRow* viewRowOfUnit(int unit) {
  const auto row = std::ranges::find(kRows, unit, &ViewRow::unit);
  return row == std::end(kRows) ? nullptr : &*row;
}

}  // namespace kelm::klplot
