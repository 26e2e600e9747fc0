#include "source/program/main_program.h"

#include <string>

#include "source/program/batch/batch_run.h"
#include "source/program/dialog_resources.h"
#include "source/program/display/display_driver.h"
#include "source/program/gun/gun_commands.h"
#include "source/program/menus/menu_bar.h"
#include "source/program/menus/save_target.h"
#include "source/program/project/project_selection.h"
#include "source/program/project/recent_projects.h"
#include "source/program/request_flags.h"
#include "source/program/startup_paths.h"
#include "window/app.h"
#include "window/frame.h"
#include "window/menus.h"

namespace kelm {
namespace {

constexpr char kAboutText[] =
    "KELMDEMO\n"
    "KELM " KELM_VERSION ": electron gun design\n"
    "Builds the net, solves the field and the space-charge-limited beam, and shows the results\n"
    "Help: KELM.HLP beside the program";

}  // namespace

// A request that is not served now waits for the next return of the display driver.
void serveOneRequest() {
  if (solveRequested.load() == 1) {
    runSolve();
    solveRequested.store(0);
  } else if (buildNetRequested.load() == 1) {
    buildNetRequested.store(0);
    runBuildNet();
  } else if (batchRequested.load() == 1) {
    runBatch();
  }
}

void mainProgram() {
  window::setWindowTitle(window::windowHandle(window::kOutputUnit), "Output");
  window::setAboutText(kAboutText);
  window::setSaveRefusal(saveTargetRefusal);

  solveRequested.store(0);
  buildNetRequested.store(0);
  batchRequested.store(0);
  std::string argument0;
  window::commandArgument(0, argument0);
  findHelpFile(argument0);

  resource::registerDialogs();
  buildMenuBar();
  greyBusyCommands();
  showRecentProjects();

  std::string argument1;
  window::commandArgument(1, argument1);
  if (!selectStartupProject(argument1)) return;
  rememberCurrentProject();

  for (;;) {
    klplot::loadAndDisplay();
    serveOneRequest();
  }
}

}  // namespace kelm
