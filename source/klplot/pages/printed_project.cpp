#include "source/klplot/pages/printed_project.h"

#include "source/klplot/pages/page_square.h"
#include "source/klplot/plotting/plot_mapping.h"

namespace kelm::klplot {

void printProjectPage(const ViewRow& view, PageCanvas& c, const window::PrinterFacts& facts, const ProjectData& d,
                      const ViewInputs& inputs) {
  const PageSquare square = pageSquare(facts);
  PlotMapping m;  // each page its own: pages print on the message thread, views draw on another
  m.setDeviceSize(square.w, square.h);
  view.print(c, m, d, inputs);
}

}  // namespace kelm::klplot
