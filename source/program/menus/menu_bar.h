#pragma once
// The program's menu bar: every item of its menus and the command behind it.

#include "source/program/bar_layout.h"

namespace kelm {

// Reshapes the default bar into the program's bar; called once at start-up.
void buildMenuBar();

// Run > Stop: enabled while a command runs, grey otherwise. Program thread.
void showCommandRunning(bool running);

}  // namespace kelm
