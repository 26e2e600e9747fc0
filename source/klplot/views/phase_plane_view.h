#pragma once
// The "Phase plane" window: the beam figures at z = phaseZ, the (r, dr/dz) scatter and the
// current-density staircase over the radius.

#include <cstdint>

#include "source/klplot/plotting/view_context.h"
#include "source/klplot/project/project_data.h"

namespace kelm::klplot {

struct PhasePlaneInput {
  float phaseZ;
  double field;                 // axial field at phaseZ, G
  std::int32_t densityDivisions;
};

// The window is cleared by the caller. Returns the histogram's bin count when it had to use
// fewer than requested, 0 otherwise.
std::int32_t drawPhasePlaneView(const ViewContext& v, const ProjectData& data,
                                const PhasePlaneInput& in);

}  // namespace kelm::klplot
