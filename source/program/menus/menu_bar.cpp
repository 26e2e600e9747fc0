#include "source/program/menus/menu_bar.h"

#include <vector>

#include "source/klplot/pages/view_table.h"
#include "source/program/batch/batch_dialog.h"
#include "source/program/display/beam_zoom.h"
#include "source/program/display/z_coordinate.h"
#include "source/program/menus/commands.h"
#include "source/program/menus/print_commands.h"
#include "source/program/project/project_watch.h"
#include "window/menus.h"

namespace kelm {
namespace {

// A separator still takes a command, which it never calls.
constexpr ProgramItem separatorIn(const ProgramMenu& menu, bool busy) { return {&menu, "", window::doNothing, busy}; }

// Every item of the program, menu by menu, in the order each menu shows them.
const std::vector<ProgramItem>& programItems() {
  static const std::vector<ProgramItem> items = [] {
    std::vector<ProgramItem> list;
    for (const klplot::ViewRow* view : klplot::printedViewRows())
      list.push_back({&kFileMenu, view->printMenuText, printCommandOf(*view), true});
    list.insert(list.end(), {
                                separatorIn(kFileMenu, false),
                                {&kFileMenu, "Load Kelm project...", loadProjectCommand, true},

                                {&kStateMenu, "&Watch project files", watchFilesCommand, false, true},

                                separatorIn(kWindowMenu, false),
                                {&kWindowMenu, "&Z-coordinate", zCoordinateCommand, true},
                                separatorIn(kWindowMenu, true),
                                {&kWindowMenu, "Hide beam", beamToggleCommand, true},
                                {&kWindowMenu, "Hide potential", potentialToggleCommand, true},
                                {&kWindowMenu, "&Whole gun", wholeGunCommand, true},

                                {&kRunMenu, "&Edit geometry", editGeometryCommand, true},
                                {&kRunMenu, "&Edit klinput.dat", editInputCommand, true},
                                {&kRunMenu, "Build &net", buildNetCommand, true},
                                {&kRunMenu, "&Solve", solveCommand, true},
                                {&kRunMenu, "S&top", stopCommand, false},
                                {&kRunMenu, "&Batch mode", batchModeCommand, true},
                                {&kRunMenu, "&Convergence plot", convergencePlotCommand, true},

                                {&kHelpMenu, "&Contents", helpContentsCommand, false},
                                {&kHelpMenu, "&Using Help", window::builtinUsingHelp, false},
                                {&kHelpMenu, "&About", window::builtinAbout, false},
                            });
    return list;
  }();
  return items;
}

}  // namespace

void buildMenuBar() {
  buildBar(programItems());
  showCommandRunning(false);
}

void showCommandRunning(bool running) {
  const MenuPlace stop = placeOfCommand(stopCommand);
  window::setMenuItemFlags(stop.menu, stop.item, running ? window::kEnabled : window::kGrayed);
}

}  // namespace kelm
