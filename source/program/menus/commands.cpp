#include "source/program/menus/commands.h"

#include <climits>
#include <string>

#include "records/formatted.h"
#include "runtime/fixed_text.h"
#include "runtime/process_paths.h"
#include "runtime/text.h"
#include "source/program/bar_layout.h"
#include "source/program/program_words.h"
#include "source/program/project/project_selection.h"
#include "source/program/project/recent_projects.h"
#include "source/program/request_flags.h"
#include "source/program/startup_paths.h"
#include "window/dialogs.h"
#include "window/menus.h"

namespace kelm {
namespace {

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

void helpContentsCommand(std::int32_t*) { window::showHelpContents(helpFilePath()); }

}  // namespace kelm
