#pragma once
// The envelope picture: Rmax and the rms radius against z over the beam view's z range, and
// the 90 % emittance against z below them, each framed as the magnetic field view frames B(z).

#include <vector>

#include "source/klplot/figures/beam_figures_along_z.h"
#include "source/klplot/plotting/view_context.h"
#include "source/klplot/views/view_layout.h"

namespace kelm::exporting {

// As wide as a view window on a W x H screen, as tall as two.
klplot::SurfaceSize envelopeSize(int W, int H);

void drawEnvelopeView(const klplot::ViewContext& v, const klplot::ProjectData& data,
                      const std::vector<PlaneFigures>& planes);

}  // namespace kelm::exporting
