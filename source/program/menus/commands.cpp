#include "source/program/menus/commands.h"

#include <climits>
#include <string>
#include <vector>

#include "records/formatted.h"
#include "runtime/fixed_text.h"
#include "runtime/process_paths.h"
#include "runtime/text.h"
#include "source/program/bar_layout.h"
#include "source/program/gun/iteration_table.h"
#include "source/program/program_words.h"
#include "source/program/project/project_selection.h"
#include "source/program/project/recent_projects.h"
#include "source/program/request_flags.h"
#include "source/program/startup_paths.h"
#include "source/project_files/input_file.h"
#include "source/project_files/solve_record.h"
#include "window/convergence_plot.h"
#include "window/dialogs.h"
#include "window/menus.h"

namespace kelm {
namespace {

// Far more rows than any solve iterates.
constexpr std::size_t kMaxIterationTable = 16 << 20;

// The load command's file-name field, which proposes the last choice the next time.
FixedText<kMaxPathLength + 1> loadCommandFileName;

void toggle(std::atomic<int>& shown, Command command, const char* hideText, const char* showText) {
  shown.store(1 - shown.load());
  const MenuPlace place = placeOfCommand(command);
  window::setMenuItemText(place.menu, place.item, shown.load() == 1 ? hideText : showText);
  beamRedrawRequested.store(1);
}

void editProjectFile(const char* fileName) {
  // The editor starts in the current directory, so the bare name still reaches the file where
  // the directory cannot be read or is deeper than the system can name in one path.
  const std::string directory = currentDirectory();
  const std::string absolute = directory + "/" + fileName;
  const std::string path = directory.empty() || absolute.size() >= PATH_MAX ? fileName : absolute;
  if (!window::startEditor(editorProgram(), path)) {
    // The whole phrase before the path: a long path then goes on over the next records.
    records::print("No text editor could be started (set KELM_EDITOR) for " + printable(path));
    // The Output window is minimised while a project is shown: say it where the user looks.
    window::showMessageBox("KELM", "No text editor could be started for " + printable(path) + ".\n\n"
                           "Set KELM_EDITOR to the program that should open it.", window::BoxIcon::warning);
  }
}

}  // namespace

void loadProjectCommand(std::int32_t*) {
  if (!window::chooseProjectFile(loadCommandFileName.span(), true, helpFilePath(), kProjectChooser)) return;
  makeProjectCurrent(loadCommandFileName.trimmed());
}

void beamToggleCommand(std::int32_t*) {
  toggle(beamShown, beamToggleCommand, "Hide beam", "Show beam");
}

void potentialToggleCommand(std::int32_t*) {
  toggle(potentialShown, potentialToggleCommand, "Hide potential", "Show potential");
}

void editGeometryCommand(std::int32_t*) { editProjectFile("geom.cod"); }
void editInputCommand(std::int32_t*) { editProjectFile("klinput.dat"); }

void buildNetCommand(std::int32_t*) {
  buildNetRequested.store(1);
  leaveRequested.store(1);
}

void solveCommand(std::int32_t*) {
  solveRequested.store(1);
  leaveRequested.store(1);
}

void stopCommand(std::int32_t*) {
  if (commandRunning.load() != 0) stopRequested.store(1);
}

void convergencePlotCommand(std::int32_t*) {
  std::string text, why;
  std::vector<double> changes;
  const auto read = projectfiles::readInputFile(projectfiles::kIterationFile, kMaxIterationTable, text, why);
  if (read != projectfiles::InputRead::kOk) {
    window::showMessageBox("KELM", projectfiles::inputFailure(projectfiles::kIterationFile, read, why) +
                                       ".\n\nSolve the project first: every solve writes its iterations there.",
                           window::BoxIcon::information);
  } else if (!iterationChanges(text, changes, why)) {
    window::showMessageBox("KELM", why + ".", window::BoxIcon::warning);
  } else if (changes.empty()) {
    window::showMessageBox("KELM", "The last solve computed no beam, so it has no iterations to plot.",
                           window::BoxIcon::information);
  } else {
    window::showConvergencePlot("Convergence", changes);
  }
}

void helpContentsCommand(std::int32_t*) { window::showHelpContents(helpFilePath()); }

}  // namespace kelm
