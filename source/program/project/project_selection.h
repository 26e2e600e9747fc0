#pragma once
// Choosing the project: a project is a directory, chosen through any file in it.

#include <cstddef>
#include <string_view>

namespace kelm {

// Project paths are limited by the platform, not by a fixed buffer.
inline constexpr std::size_t kMaxPathLength = 4095;

// Start-up: argument 1 when given (a file in the project directory, or the directory), else
// the "Select KELM project" dialog, until a directory change succeeds. False when the user
// cancels the dialog. The caller remembers the project among the recent ones.
bool selectStartupProject(std::string_view argument1);

// Changes the current directory to the chosen file's directory; true on success (an empty
// directory part keeps the current directory and counts as success).
bool enterProjectDirectoryOf(std::string_view chosenFile);

}  // namespace kelm
