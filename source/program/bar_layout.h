#pragma once
// The program's menu bar as the window layer holds it: where each item sits, the busy set and
// the recent projects' section. The items come from the bar's table above, so that a command
// can find its own item without including the table that names it.

#include <span>
#include <string>
#include <vector>

#include "window/menus.h"

namespace kelm {

using Command = window::MenuCallback;

// A menu of the finished bar. The window layer's own menus keep their items first; the
// program's follow them. The program's own menus get their title appended.
struct ProgramMenu {
  int position;       // on the finished bar, from 1
  const char* title;  // nullptr: a menu of the window layer
  int layerItems;     // the layer's items before the program's
};

inline constexpr ProgramMenu kFileMenu{1, nullptr, 3};
inline constexpr ProgramMenu kStateMenu{3, nullptr, 1};
inline constexpr ProgramMenu kWindowMenu{4, nullptr, 6};
inline constexpr ProgramMenu kRunMenu{5, "&Run", 0};
inline constexpr ProgramMenu kHelpMenu{6, "&Help", 0};

struct ProgramItem {
  const ProgramMenu* menu;
  const char* text;  // empty for a separator
  Command command;   // a separator's is never called
  bool busy;         // grey while the display driver loads or leaves
  bool checkedAtStart = false;
  bool separator() const { return *text == '\0'; }
};

// Reshapes the default bar into the program's bar with items, each menu's in the order given;
// once at start-up. The items must stay for the whole run.
void buildBar(std::span<const ProgramItem> items);

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
