#pragma once
// The "Beam" window: electrode outline, trajectories and equipotentials mirrored about the
// axis, one scale both ways, a z axis below. Returns the frame it drew in.

#include "source/klplot/plotting/axial_frame.h"
#include "source/klplot/plotting/axial_zoom.h"
#include "source/klplot/plotting/view_context.h"
#include "source/klplot/project/project_data.h"

namespace kelm::klplot {

struct GeometryToggles {
  bool beam = true;
  bool potential = true;
};

// Zoomed when the context carries an active zoom; exactly the whole gun otherwise.
AxialFrame drawGeometryView(const ViewContext& v, const ProjectData& data, GeometryToggles shown);

// The frame of the unzoomed window, on a plot area of this size.
AxialFrame wholeGunFrame(std::int32_t plotWidth, std::int32_t plotHeight, const ProjectData& data);

// The z range the unzoomed window draws: from zAxisMin truncated toward zero to the decade
// below the span, to zAxisMax.
ZRange wholeBeamRange(const ProjectData& data);

}  // namespace kelm::klplot
