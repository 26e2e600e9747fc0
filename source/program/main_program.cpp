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
#include "window/close_guard.h"
#include "window/command_progress.h"
#include "window/frame.h"
#include "window/menus.h"

namespace kelm {
namespace {

constexpr char kAboutText[] =
    "KELMDEMO\n"
    "KELM " KELM_VERSION ": electron gun design\n"
    "Builds the net, solves the field and the space-charge-limited beam, and shows the results\n"
    "Help: KELM.HLP beside the program";

bool commandIsRunning() { return commandRunning.load() != 0; }
void stopRunningCommand() { stopRequested.store(1); }

}  // namespace

// A request that is not served now waits for the next return of the display driver.
void serveOneRequest() {
  const bool solve = solveRequested.load() == 1, buildNet = buildNetRequested.load() == 1;
  if (!solve && !buildNet && batchRequested.load() != 1) return;
  stopRequested.store(0);
  commandRunning.store(1);
  showCommandRunning(true);
  window::setStatusNote("");
  CommandResult result;
  if (solve) {
    result = runSolve();
    solveRequested.store(0);
  } else if (buildNet) {
    buildNetRequested.store(0);
    result = runBuildNet();
  } else {
    result = runBatch();
  }
  // The same project comes back: its plane and zoom stay where the new extents hold them.
  if (solve || buildNet) reloadRequested.store(1);
  klplot::noteCommandEnd(result.status, result.end == CommandEnd::kFailed);
  window::hideStatusProgress();
  commandRunning.store(0);
  stopRequested.store(0);  // a Stop as the command ended stops nothing later
  showCommandRunning(false);
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
  window::guardFrameClose({commandIsRunning, stopRunningCommand, "A solve is running. Stop it and exit?"});
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
