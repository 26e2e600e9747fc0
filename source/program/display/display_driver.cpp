#include "source/program/display/display_driver.h"

#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "records/formatted.h"
#include "runtime/process_paths.h"
#include "runtime/text.h"
#include "source/klplot/project/load_status.h"
#include "source/klplot/project/project_readers.h"
#include "source/klplot/views/display_state.h"
#include "source/program/bar_layout.h"
#include "source/program/display/beam_zoom.h"
#include "source/program/display/run_figures.h"
#include "source/program/display/view_windows.h"
#include "source/program/project/project_watch.h"
#include "source/program/request_flags.h"
#include "source/project_files/result_age.h"
#include "window/command_progress.h"
#include "window/frame.h"

namespace kelm::klplot {

namespace {

constexpr auto kIdlePass = std::chrono::milliseconds(50);

// The directory of the last load. A project directory deleted while open leaves the process
// in a directory without a name; the path remembered here finds it again once it is back.
std::string lastProjectDirectory;

// The project directory to load, entered again by name when the current one has vanished;
// empty only when no project was ever found.
std::string enterProjectDirectory() {
  std::string directory(trimRight(currentDirectory()));
  if (directory.empty() && !lastProjectDirectory.empty() && ::chdir(lastProjectDirectory.c_str()) == 0)
    directory = trimRight(currentDirectory());
  if (!directory.empty()) lastProjectDirectory = directory;
  return lastProjectDirectory;
}

// The views of the last load stay on screen while a command runs, until the next load.
bool viewsShown = false;
std::string commandStatus;
bool outputWanted = false;

// The status bar's note: how the last command ended, then what the load found.
std::string loadNote(const ProjectLoad& load, const std::string& directory) {
  const std::string found = projectfiles::resultsOlderThanMesh(directory) ? projectfiles::kOlderThanMeshMessage
                                                                          : loadSummary(load);
  const std::string figures = runFigures(projectData, directory);
  std::string note = commandStatus.empty() ? found : commandStatus + " | " + found;
  return figures.empty() ? note : note + " | " + figures;
}

}  // namespace

void noteCommandEnd(const std::string& status, bool failed) {
  commandStatus = status;
  outputWanted = failed;
}

void loadAndDisplay() {
  window::setStatusMessage("Running", window::kRunningMessage);
  if (viewsShown) closeViewWindows();
  const std::string previous = lastProjectDirectory;
  const std::string directory = enterProjectDirectory();
  // A reload of the same project keeps the zoom; another project starts with the whole gun.
  if (directory != previous) forgetZoom();
  const std::string projectDir = printable(directory);
  records::print("Loading project from ", projectDir);
  // Its files are then reported missing, and the next load looks for the directory again.
  if (currentDirectory().empty()) records::print("Project directory not found: ", printableName(directory));
  window::setWindowTitle(window::windowHandle(window::kFrameUnit), "KELMDEMO: " + projectDir);

  const bool keepView = reloadRequested.load() != 0;
  noteProjectFilesLoaded();
  // The Output window is minimised while the views are up: the status bar keeps what it said.
  window::setStatusNote(loadNote(loadProjectFiles(projectData), directory));

  openViewWindows(keepView);
  viewsShown = true;
  if (outputWanted) window::bringOutputIntoSight();
  outputWanted = false;
  watchProjectFiles(currentDirectory().empty() ? std::string() : directory);
  reloadRequested = 0;
  phasePlaneRequested = 1;
  markerRedrawRequested = 0;
  beamRedrawRequested = 0;
  leaveRequested = 0;
  window::setStatusMessage("Idle", window::kRunningMessage);
  enableBusyCommands();

  while (leaveRequested.load() == 0) {
    serveViewRequests();
    std::this_thread::sleep_for(kIdlePass);
  }

  greyBusyCommands();
  window::setStatusMessage("Running", window::kRunningMessage);
  freezeViewWindows();
}

}  // namespace kelm::klplot
