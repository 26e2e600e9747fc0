#pragma once
// The page a print command prints: the project with the Beam view's switches and the phase
// plane as the caller has them, laid out in the page square of the printer's facts.

#include "source/klplot/canvas.h"
#include "source/klplot/geometry_view.h"
#include "source/klplot/phase_plane_view.h"
#include "source/klplot/project_data.h"
#include "window/printing.h"

namespace kelm::klplot {

enum class PrintedPage { geometry, magneticField, phasePlane, cathodeDensity };

struct PageChoices {
  GeometryToggles shown;  // the geometry page's beam and equipotentials
  PhasePlaneInput plane;  // the phase plane page's
};

void printProjectPage(PrintedPage page, PageCanvas& c, const window::PrinterFacts& facts, const ProjectData& d,
                      const PageChoices& choices);

}  // namespace kelm::klplot
