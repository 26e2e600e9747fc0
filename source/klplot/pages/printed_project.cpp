#include "source/klplot/pages/printed_project.h"

#include "source/klplot/pages/page_square.h"
#include "source/klplot/plotting/plot_mapping.h"

namespace kelm::klplot {

void printProjectPage(const ViewRow& view, PageCanvas& c, const window::PrinterFacts& facts, const ProjectData& d,
                      const ViewInputs& inputs) {
  const PageSquare square = pageSquare(facts);
  printMapping.setDeviceSize(square.w, square.h);
  view.print(c, d, inputs);
}

}  // namespace kelm::klplot
