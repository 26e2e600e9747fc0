// The four print commands of the File menu: one page each, on the message thread. They are
// in the busy set, so the project they read does not change while they print.
#include "source/commands.h"
#include "source/klplot/display_state.h"
#include "source/klplot/printed_project.h"
#include "source/klplot/printer_canvas.h"
#include "source/klplot/project_readers.h"
#include "source/request_flags.h"
#include "window/printing.h"

namespace kelm {
namespace {

// The Window menu's switches and the plane as the windows show them.
klplot::PageChoices shownChoices(const klplot::ProjectData& d) {
  const float z = d.phaseZ.load();
  return {{beamShown.load() != 0, potentialShown.load() != 0},
          {z, klplot::fieldAt(z), klplot::displayState.densityDivisions.load()}};
}

void printOnePage(klplot::PrintedPage page) {
  (void)window::printPage([page](window::PrinterPage& printer, const window::PrinterFacts& facts) {
    klplot::PrinterCanvas canvas(printer);
    klplot::printProjectPage(page, canvas, facts, klplot::projectData, shownChoices(klplot::projectData));
  });
}

}  // namespace

void printGeometryCommand(std::int32_t*) { printOnePage(klplot::PrintedPage::geometry); }
void printFieldCommand(std::int32_t*) { printOnePage(klplot::PrintedPage::magneticField); }
void printPhasePlaneCommand(std::int32_t*) { printOnePage(klplot::PrintedPage::phasePlane); }
void printCathodeCommand(std::int32_t*) { printOnePage(klplot::PrintedPage::cathodeDensity); }

}  // namespace kelm
