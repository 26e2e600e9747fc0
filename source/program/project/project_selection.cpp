#include "source/program/project/project_selection.h"

#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "records/formatted.h"
#include "runtime/fixed_text.h"
#include "source/program/program_words.h"
#include "source/program/startup_paths.h"
#include "window/dialogs.h"

namespace kelm {
namespace {

// The start-up dialog's file-name field.
FixedText<kMaxPathLength + 1> startupFileName;

}  // namespace

bool enterProjectDirectoryOf(std::string_view chosenFile) {
  const std::string directory = projectDirectoryOf(chosenFile);
  return directory.empty() || ::chdir(directory.c_str()) == 0;
}

bool selectStartupProject(std::string_view argument1) {
  if (argument1.size() > kMaxPathLength) {
    records::print("Project path too long, choose the project in the dialog:");
    records::print(argument1.substr(0, kMaxPathLength));
    argument1 = {};
  }
  std::string chosen(argument1);
  // A directory named without its trailing separator is the project itself, not a file in
  // its parent directory.
  std::error_code error;
  if (!chosen.empty() && chosen.back() != '/' && std::filesystem::is_directory(chosen, error)) chosen += '/';
  for (;;) {
    if (chosen.empty()) {
      if (!window::chooseProjectFile(startupFileName.span(), false, helpFilePath(), kProjectChooser)) return false;
      chosen = startupFileName.trimmed();
    }
    if (enterProjectDirectoryOf(chosen)) return true;
    chosen.clear();  // a directory that cannot be entered brings the dialog back, silently
  }
}

}  // namespace kelm
