#pragma once
// Start-up of the window layer: the frame, the "Output" window, the program thread.

#include <string>

#include "window/printing.h"

namespace kelm::window {

using MainProgram = void (*)();

// Creates the frame with its default menu bar, status bar and "Output" window, starts the
// program thread (one step below normal priority, floating-point traps on) that calls
// mainProgram once, and runs the message loop on the calling thread. Returns the exit code;
// 2, before any window, for an option before "--" that the toolkit does not know.
// logVariable names the environment variable that may name a log of every "Output" record;
// printWords are those of the File menu's own Print.
int runWindowLayer(int argc, char** argv, MainProgram mainProgram, const char* logVariable,
                   const PrintWords& printWords);

// Command-line argument i as the program was started (0: the program's own path), without
// the toolkit's own options and the "--" separator; false when there is no such argument.
bool commandArgument(int index, std::string& value);

// The program's file name without directory and extension: the frame's first title and the
// caption of the About box and the end-of-program question.
std::string programName();

}  // namespace kelm::window
