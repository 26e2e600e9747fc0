#pragma once
// The "Beam" window: electrode outline, trajectories and equipotentials mirrored about the
// axis, one scale both ways, a z axis below. Publishes the window's left edge and viewport
// fractions for the z-marker.

#include "source/klplot/plotting/view_context.h"
#include "source/klplot/project/project_data.h"

namespace kelm::klplot {

struct GeometryToggles {
  bool beam = true;
  bool potential = true;
};

void drawGeometryView(const ViewContext& v, const ProjectData& data, GeometryToggles shown);

}  // namespace kelm::klplot
