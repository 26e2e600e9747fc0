#pragma once
// Outputs that must not be written: a project file, the project list, or one file named twice.
// Checked before anything is written, so that a slip of the command line destroys nothing.

#include <optional>
#include <string>
#include <vector>

#include "source/export/export_options.h"
#include "source/project_files/project_file_names.h"

namespace kelm::exporting {

// The files of a project directory that no output may be.
inline constexpr const auto& kProjectInputs = projectfiles::kProjectFileNames;

// The directory a PROJECT names, as the user spelled it: itself, or the one of a file in it;
// nothing when there is no such file or directory.
std::optional<std::string> projectDirectory(const std::string& argument);

// Every file the options write, with the option that asks for it.
struct Output {
  std::string option, path;
};
std::vector<Output> outputsOf(const ExportOptions& options);

// Why the outputs cannot be written as asked (one line), or empty when they can.
std::string unsafeOutputs(const ExportOptions& options);

}  // namespace kelm::exporting
