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
  printMapping.setDeviceSize(square.w, square.h);
  const ProjectData& d = projectData;
  switch (page) {
    case PrintedPage::geometry:
      printGeometryPage(c, d, {beamShown.load() != 0, potentialShown.load() != 0});
      return;
    case PrintedPage::magneticField:
      printFieldPage(c, d);
      return;
    case PrintedPage::phasePlane: {
      const float z = d.phaseZ.load();
      printPhasePlanePage(c, d, {z, fieldAt(z), displayState.densityDivisions.load()});
      return;
    }
    case PrintedPage::cathodeDensity:
      printCathodePage(c, d);
      return;
  }
}

}  // namespace kelm::klplot
