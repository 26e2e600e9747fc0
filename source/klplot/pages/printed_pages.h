#pragma once
// The four printed pages, drawn in black through the caller's mapping on a page canvas, in the
// printer's device units. The caller sets the page square first (m.setDeviceSize).

#include "source/klplot/plotting/canvas.h"
#include "source/klplot/project/project_data.h"
#include "source/klplot/views/geometry_view.h"
#include "source/klplot/views/phase_plane_view.h"

namespace kelm::klplot {

// Where the geometry page puts its section: the left edge of the z axis and the viewport.
struct SectionLayout {
  double zWindowStart = 0.0;
  double vx1 = 0.0, vx2 = 1.0, vy1 = 0.0, vy2 = 1.0;
};
SectionLayout sectionLayout(const ProjectData& data);

void printGeometryPage(PageCanvas& c, PlotMapping& m, const ProjectData& data, GeometryToggles shown);
void printFieldPage(PageCanvas& c, PlotMapping& m, const ProjectData& data);
// A plane that no trajectory reaches leaves the page blank.
void printPhasePlanePage(PageCanvas& c, PlotMapping& m, const ProjectData& data, const PhasePlaneInput& in);
// cathodeR as the display driver filled it at the load.
void printCathodePage(PageCanvas& c, PlotMapping& m, const ProjectData& data);

}  // namespace kelm::klplot
