#include "source/klplot/printed_project.h"

#include "source/klplot/display_state.h"
#include "source/klplot/page_square.h"
#include "source/klplot/plot_mapping.h"
#include "source/klplot/printed_pages.h"
#include "source/klplot/project_readers.h"
#include "source/request_flags.h"

namespace kelm::klplot {

void printProjectPage(PrintedPage page, PageCanvas& c, const window::PrinterFacts& facts) {
  const PageSquare square = pageSquare(facts);
  PlotMapping m;  // each page its own: pages print on the message thread, views draw on another
  m.setDeviceSize(square.w, square.h);
  const ProjectData& d = projectData;
  switch (page) {
    case PrintedPage::geometry:
      printGeometryPage(c, m, d, {beamShown.load() != 0, potentialShown.load() != 0});
      return;
    case PrintedPage::magneticField:
      printFieldPage(c, m, d);
      return;
    case PrintedPage::phasePlane: {
      const float z = d.phaseZ.load();
      printPhasePlanePage(c, m, d, {z, fieldAt(z), displayState.densityDivisions.load()});
      return;
    }
    case PrintedPage::cathodeDensity:
      printCathodePage(c, m, d);
      return;
  }
}

}  // namespace kelm::klplot
