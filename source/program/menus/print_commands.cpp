// The print commands of the File menu, one per view: one page each, on the message thread.
// They are in the busy set, so the project they read does not change while they print.
#include "source/program/menus/print_commands.h"

#include <algorithm>
#include <array>
#include <utility>

#include "source/klplot/pages/printed_project.h"
#include "source/klplot/pages/printer_canvas.h"
#include "source/klplot/views/display_state.h"
#include "source/program/display/view_windows.h"
#include "source/program/program_words.h"
#include "window/menus.h"
#include "window/printing.h"

namespace kelm {
namespace {

void printOnePage(const klplot::ViewRow& view) {
  (void)window::printPage(kPrintWords, [&view](window::PrinterPage& printer, const window::PrinterFacts& facts) {
    klplot::PrinterCanvas canvas(printer);
    klplot::printProjectPage(view, canvas, facts, klplot::projectData, klplot::currentViewInputs());
  });
}

// A menu item's callback carries no argument, so each view's command is its own function.
template <std::size_t Row>
void printViewCommand(std::int32_t*) {
  printOnePage(klplot::viewRows()[Row]);
}

template <std::size_t... Rows>
constexpr std::array<Command, sizeof...(Rows)> printCommands(std::index_sequence<Rows...>) {
  return {printViewCommand<Rows>...};
}

constexpr auto kPrintCommands = printCommands(std::make_index_sequence<klplot::kViewCount>{});

}  // namespace

Command printCommandOf(const klplot::ViewRow& view) {
  const auto rows = klplot::viewRows();
  const auto row = std::ranges::find(rows, view.unit, &klplot::ViewRow::unit);
  return row == rows.end() ? window::doNothing : kPrintCommands[static_cast<std::size_t>(row - rows.begin())];
}

}  // namespace kelm
