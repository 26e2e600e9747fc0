#pragma once
// The options kelm answers before any window exists, so that they work without a display.

#include <optional>

namespace kelm {

// Prints the help or the version, or refuses an unknown "--" option with one line on standard
// error, and returns the exit code; nothing when the window layer and the program should run.
// Everything after "--" is a project path, however it looks.
std::optional<int> answerCommandLine(int argc, char** argv);

}  // namespace kelm
