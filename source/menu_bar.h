#pragma once
// The program's menu bar on top of the window layer's default bar.

namespace kelm {

// Reshapes the default bar into the program's bar; called once at start-up.
void buildMenuBar();
// The busy set: the commands that touch the project or the view windows.
void greyBusyCommands();
void enableBusyCommands();

}  // namespace kelm
