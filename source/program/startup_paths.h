#pragma once
// Paths that start-up derives from the command line.

#include <string>
#include <string_view>

namespace kelm {

inline constexpr char kHelpFileName[] = "KELM.HLP";

// The help file beside the program. The directory the executable really lives in wins over
// the name it was started by: a bare or relative name would find the help file only by chance
// once a project directory is current, and an installed program is started through a link
// in another directory. Argument 0 serves only when that directory is unknown.
std::string helpFilePathFor(std::string_view argument0, std::string_view executableDirectory);

// The directory to make current for a chosen project file: characters 1..p up to and
// including the last separator; empty when the name has none (the current directory stays).
std::string projectDirectoryOf(std::string_view projectPath);

// The help file of this run: found once at start-up from argument 0, read by the commands and
// dialogs that offer help.
void findHelpFile(std::string_view argument0);
const std::string& helpFilePath();

}  // namespace kelm
