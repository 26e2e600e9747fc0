#include "source/klplot/printed_project.h"

#include "source/klplot/page_square.h"
#include "source/klplot/plot_mapping.h"
#include "source/klplot/printed_pages.h"

namespace kelm::klplot {

void printProjectPage(PrintedPage page, PageCanvas& c, const window::PrinterFacts& facts, const ProjectData& d,
                      const PageChoices& choices) {
  const PageSquare square = pageSquare(facts);
  printMapping.setDeviceSize(square.w, square.h);
  switch (page) {
    case PrintedPage::geometry:
      printGeometryPage(c, d, choices.shown);
      return;
    case PrintedPage::magneticField:
      printFieldPage(c, d);
      return;
    case PrintedPage::phasePlane:
      printPhasePlanePage(c, d, choices.plane);
      return;
    case PrintedPage::cathodeDensity:
      printCathodePage(c, d);
      return;
  }
}

}  // namespace kelm::klplot
