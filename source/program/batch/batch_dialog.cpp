// The "&Batch mode" command: the "Select KELM projects" dialog collects project directories
// for the batch run. It runs on the message thread and browses by absolute path only.
#include "source/program/batch/batch_dialog.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/process_paths.h"
#include "runtime/text.h"
#include "source/program/batch/batch_run.h"
#include "source/program/batch/project_tree.h"
#include "source/program/dialog_resources.h"
#include "source/program/project/project_selection.h"
#include "source/program/request_flags.h"
#include "window/dialog_controls.h"
#include "window/dialogs.h"
#include "window/drives.h"

namespace kelm {
namespace {

using namespace resource;

// The place the tree was last filled from; every item's path starts with it.
std::string shownDrive;

void fillTopLevel(int dialog) {
  window::clearTree(dialog, kDirectoryTree);
  window::addTreeEntries(dialog, kDirectoryTree, {}, subdirectoryEntries(shownDrive));
}

// Selects the innermost place that holds the current directory; "/" holds every one.
void fillDriveBox(int dialog) {
  const std::string current = currentDirectory();
  shownDrive = "/";
  for (const std::string& root : window::driveRoots()) {
    window::addListEntry(dialog, kDriveBox, root);
    if (isWithin(current, root) && root.size() > shownDrive.size()) shownDrive = root;
  }
  window::selectListEntry(dialog, kDriveBox, shownDrive);
}

void dialogProcedure(int dialog, const window::DialogMessage& message) {
  switch (message.event) {
    case window::DialogEvent::initialised: {
      constexpr int kImages[] = {kFolderBitmap, kProjectBitmap};  // kFolderImage, kProjectImage
      window::setTreeImages(dialog, kDirectoryTree, kImages);
      fillDriveBox(dialog);
      fillTopLevel(dialog);
      break;
    }
    case window::DialogEvent::entryConfirmed: {
      const std::string drive = window::selectedListEntry(dialog, kDriveBox);
      if (message.control != kDriveBox || drive.empty()) break;
      shownDrive = drive;
      fillTopLevel(dialog);
      break;
    }
    case window::DialogEvent::itemExpanding:
      window::addTreeEntries(dialog, kDirectoryTree, message.treePath,
                             subdirectoryEntries(joinedPath(shownDrive, message.treePath)));
      break;
  }
}

// The path field's text without its padding; "~" stands for the home directory.
std::string typedPath(int dialog) {
  std::string text(kMaxPathLength + 1, ' ');
  window::getControlText(dialog, kPathEdit, text);
  text = std::string(trimRight(text));
  text.erase(0, text.find_first_not_of(' '));
  const char* home = std::getenv("HOME");
  if ((text == "~" || text.starts_with("~/")) && home != nullptr) text.replace(0, 1, home);
  while (text.size() > 1 && text.ends_with('/')) text.pop_back();
  return text;
}

// False, said in a box in front of the dialog, for a path that cannot be a project.
bool addProjectPath(int dialog, const std::string& path) {
  std::string refusal;
  if (path.size() > kMaxPathLength)
    refusal = "The path of this directory is " + std::to_string(path.size()) +
              " characters long; a project path may have at most " + std::to_string(kMaxPathLength) + ".";
  else if (!path.starts_with('/'))
    refusal = "Type the whole path of the project directory, from / (or ~ for the home directory).";
  else if (!holdsProject(path))
    refusal = printable(path) + " holds no geom.cod: it is not a KELM project.";
  if (!refusal.empty()) return (window::showDialogMessage(dialog, refusal), false);
  window::addListEntry(dialog, kProjectList, path);
  return true;
}

// The path typed, else the tree's own place (not the drive box's entry: the two differ only
// until a drive is confirmed, and a path must name a directory the tree shows).
void addProject(int dialog, int) {
  if (const std::string typed = typedPath(dialog); !typed.empty()) {
    if (addProjectPath(dialog, typed)) window::setControlText(dialog, kPathEdit, "");
    return;
  }
  const std::vector<std::string> names = window::selectedTreePath(dialog, kDirectoryTree);
  if (!names.empty()) addProjectPath(dialog, joinedPath(shownDrive, names));
}

void removeProject(int dialog, int) { window::deleteSelectedListEntry(dialog, kProjectList); }

void clearProjects(int dialog, int) { window::clearList(dialog, kProjectList); }

void acceptProjects(int dialog, int) {
  // Enter after typing a path adds it, and goes on only when it is a project.
  if (const std::string typed = typedPath(dialog); !typed.empty()) {
    if (!addProjectPath(dialog, typed)) return;
    window::setControlText(dialog, kPathEdit, "");
  }
  const int count = window::listEntryCount(dialog, kProjectList);
  if (count <= 0) return;  // nothing chosen yet: the dialog stays open
  if (count > kMaxBatchProjects) {
    window::showDialogMessage(dialog, "A batch runs at most " + std::to_string(kMaxBatchProjects) +
                                          " projects; the list holds " + std::to_string(count) +
                                          ". Remove some and press OK again.");
    return;
  }
  for (int i = 0; i < count; ++i) projectList(i + 1) = window::listEntry(dialog, kProjectList, i);
  projectCount = count;
  window::endDialog(dialog, kOk);
}

}  // namespace

void batchModeCommand(std::int32_t* state) {
  const int dialog = window::loadDialog(kProjectListDialog);
  if (dialog < 0) {
    *state = dialog;
    return;
  }
  window::bindControl(dialog, kAddButton, addProject);
  window::bindControl(dialog, kRemoveButton, removeProject);
  window::bindControl(dialog, kClearButton, clearProjects);
  window::bindControl(dialog, kOk, acceptProjects);
  const int result = window::runDialogModal(dialog, dialogProcedure);
  *state = window::releaseDialog(dialog);
  if (result != kOk) return;
  batchRequested.store(1);
  leaveRequested.store(1);
}

}  // namespace kelm
