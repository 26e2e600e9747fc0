#include "source/klplot/printed_project.h"

#include "source/klplot/display_state.h"
#include "source/klplot/page_square.h"
#include "source/klplot/plot_mapping.h"
#include "source/klplot/project_readers.h"
#include "source/request_flags.h"

namespace kelm::klplot {

ViewInputs currentViewInputs() {
  const float z = projectData.phaseZ.load();
  return {{beamShown.load() != 0, potentialShown.load() != 0}, z, fieldAt(z), displayState.densityDivisions.load()};
}

void printProjectPage(const ViewRow& view, PageCanvas& c, const window::PrinterFacts& facts) {
  const PageSquare square = pageSquare(facts);
  printMapping.setDeviceSize(square.w, square.h);
  view.print(c, projectData, currentViewInputs());
}

}  // namespace kelm::klplot
