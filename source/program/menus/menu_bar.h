#pragma once
// The program's menu bar on top of the window layer's default bar.

#include <string>
#include <vector>

#include "source/program/menus/commands.h"

namespace kelm {

// Reshapes the default bar into the program's bar; called once at start-up.
void buildMenuBar();
// The busy set: the commands that touch the project or the view windows.
void greyBusyCommands();
void enableBusyCommands();

// Where the item bound to command sits on the finished bar, counted from 1 as the window
// layer counts; {0, 0} when no item is bound to it.
struct MenuPlace {
  int menu = 0, item = 0;
};
MenuPlace placeOfCommand(Command command);

// The recent projects after the File menu's last item, below a separator of their own; in the
// busy set, as loading a project is. No items, no separator.
struct RecentItem {
  std::string text;
  Command command;
};
void showRecentProjectItems(const std::vector<RecentItem>& items);

}  // namespace kelm
