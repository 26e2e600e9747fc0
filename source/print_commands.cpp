// The four print commands of the File menu: one page each, on the message thread. They are
// in the busy set, so the project they read does not change while they print.
#include <functional>

#include "source/commands.h"
#include "source/klplot/display_state.h"
#include "source/klplot/page_square.h"
#include "source/klplot/plot_mapping.h"
#include "source/klplot/printed_pages.h"
#include "source/klplot/printer_canvas.h"
#include "source/klplot/project_readers.h"
#include "source/request_flags.h"
#include "window/printing.h"

namespace kelm {
namespace {

using klplot::PageCanvas;

void printOnePage(const std::function<void(PageCanvas&)>& drawPage) {
  (void)window::printPage([&](window::PrinterPage& page, const window::PrinterFacts& facts) {
    const klplot::PageSquare square = klplot::pageSquare(facts);
    klplot::printMapping.setDeviceSize(square.w, square.h);
    klplot::PrinterCanvas canvas(page);
    drawPage(canvas);
  });
}

}  // namespace

void printGeometryCommand(std::int32_t*) {
  printOnePage([](PageCanvas& c) {
    klplot::printGeometryPage(c, klplot::projectData,
                              {beamShown.load() != 0, potentialShown.load() != 0});
  });
}

void printFieldCommand(std::int32_t*) {
  printOnePage([](PageCanvas& c) { klplot::printFieldPage(c, klplot::projectData); });
}

void printPhasePlaneCommand(std::int32_t*) {
  printOnePage([](PageCanvas& c) {
    const float z = klplot::projectData.phaseZ.load();
    klplot::printPhasePlanePage(
        c, klplot::projectData,
        {z, klplot::fieldAt(z), klplot::displayState.densityDivisions.load()});
  });
}

void printCathodeCommand(std::int32_t*) {
  printOnePage([](PageCanvas& c) { klplot::printCathodePage(c, klplot::projectData); });
}

}  // namespace kelm
