#pragma once
// Paths that start-up derives from the command line.

#include <string>
#include <string_view>

namespace kelm {

inline constexpr char kHelpFileName[] = "KELM.HLP";

// The help file beside the program. A program started by a bare or relative name would find
// its help file only by chance once a project directory is current, so such names resolve
// against the directory the executable really lives in.
std::string helpFilePathFor(std::string_view argument0, std::string_view executableDirectory);

// The directory to make current for a chosen project file: characters 1..p up to and
// including the last separator; empty when the name has none (the current directory stays).
std::string projectDirectoryOf(std::string_view projectPath);

}  // namespace kelm
