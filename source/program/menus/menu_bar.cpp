#include "source/program/menus/menu_bar.h"

#include <atomic>
#include <vector>

#include "source/program/display/beam_zoom.h"
#include "source/klplot/pages/view_table.h"
#include "source/program/project/project_selection.h"
#include "source/program/project/project_watch.h"
#include "source/program/display/z_coordinate.h"
#include "window/menus.h"

namespace kelm {
namespace {

using window::kEnabled;
using window::kGrayed;
using window::kSeparator;

// A menu of the finished bar. The window layer's own menus keep their items first; the
// program's follow them. The program's own menus get their title appended.
struct ProgramMenu {
  int position;       // on the finished bar, from 1
  const char* title;  // nullptr: a menu of the window layer
  int layerItems;     // the layer's items before the program's
};

constexpr ProgramMenu kFileMenu{1, nullptr, 3};
constexpr ProgramMenu kStateMenu{3, nullptr, 1};
constexpr ProgramMenu kWindowMenu{4, nullptr, 6};
constexpr ProgramMenu kRunMenu{5, "&Run", 0};
constexpr ProgramMenu kHelpMenu{6, "&Help", 0};
// In the order of the bar: the items of each menu are added in this order.
constexpr const ProgramMenu* kMenus[] = {&kFileMenu, &kStateMenu, &kWindowMenu, &kRunMenu, &kHelpMenu};

struct ProgramItem {
  const ProgramMenu* menu;
  const char* text;  // empty for a separator
  Command command;   // a separator still takes one, which it never calls
  bool busy;         // grey while the display driver loads or leaves
  bool checkedAtStart = false;
  bool separator() const { return *text == '\0'; }
};

constexpr Command kUncalled = helpContentsCommand;

// Every item of the program, menu by menu, in the order each menu shows them.
const std::vector<ProgramItem>& programItems() {
  static const std::vector<ProgramItem> items = [] {
    std::vector<ProgramItem> list;
    for (const klplot::ViewRow* view : klplot::printedViewRows())
      list.push_back({&kFileMenu, view->printMenuText, printCommandOf(*view), true});
    list.insert(list.end(), {
                                {&kFileMenu, "", kUncalled, false},
                                {&kFileMenu, "Load Kelm project...", loadProjectCommand, true},

                                {&kStateMenu, "&Watch project files", watchFilesCommand, false, true},

                                {&kWindowMenu, "", kUncalled, false},
                                {&kWindowMenu, "&Z-coordinate", zCoordinateCommand, true},
                                {&kWindowMenu, "", kUncalled, true},
                                {&kWindowMenu, "Hide beam", beamToggleCommand, true},
                                {&kWindowMenu, "Hide potential", potentialToggleCommand, true},
                                {&kWindowMenu, "&Whole gun", wholeGunCommand, true},

                                {&kRunMenu, "&Edit geometry", editGeometryCommand, true},
                                {&kRunMenu, "&Edit klinput.dat", editInputCommand, true},
                                {&kRunMenu, "&Build net", buildNetCommand, true},
                                {&kRunMenu, "&Solve", solveCommand, true},
                                {&kRunMenu, "&Batch mode", batchModeCommand, true},

                                {&kHelpMenu, "&Contents", helpContentsCommand, false},
                                {&kHelpMenu, "&Using Help", window::builtinUsingHelp, false},
                                {&kHelpMenu, "&About", window::builtinAbout, false},
                            });
    return list;
  }();
  return items;
}

// The place of each item, as the bar holds it once every item is in.
template <class Visit>
void forEachPlacedItem(Visit visit) {
  for (const ProgramMenu* menu : kMenus) {
    int item = menu->layerItems;
    for (const ProgramItem& entry : programItems())
      if (entry.menu == menu) visit(entry, MenuPlace{menu->position, ++item});
  }
}

// The recent projects' section: written on the message thread by a command, or on the program
// thread before the first load; the busy set is changed by the program thread after a command
// has asked it to leave, so the two never overlap.
std::atomic<int> recentItemsShown{0};
std::atomic<int> busyFlags{kGrayed};

// The File menu's position of the recent projects' separator.
int recentSeparatorItem() {
  int item = kFileMenu.layerItems;
  for (const ProgramItem& entry : programItems()) item += entry.menu == &kFileMenu ? 1 : 0;
  return item + 1;
}

void setBusySet(int flags) {
  busyFlags.store(flags);
  forEachPlacedItem([flags](const ProgramItem& entry, MenuPlace place) {
    if (entry.busy) window::setMenuItemFlags(place.menu, place.item, flags);
  });
  const int first = recentSeparatorItem() + 1;
  for (int k = 0; k < recentItemsShown.load(); ++k) window::setMenuItemFlags(kFileMenu.position, first + k, flags);
}

}  // namespace

void buildMenuBar() {
  // The default bar is File, Edit, View, State, Window, Help: the View and Help menus go first,
  // so that every position below is a position of the finished bar.
  constexpr int kViewMenu = 3, kDefaultHelpMenu = 5;
  window::deleteMenuItem(kViewMenu, 1);
  window::deleteMenuItem(kViewMenu, 1);
  window::deleteMenuItem(kViewMenu, 0);
  for (int i = 0; i < 3; ++i) window::deleteMenuItem(kDefaultHelpMenu, 1);
  window::deleteMenuItem(kDefaultHelpMenu, 0);

  const ProgramMenu* titled = nullptr;
  forEachPlacedItem([&titled](const ProgramItem& entry, MenuPlace place) {
    // The first item turns a new title into a drop-down menu.
    if (entry.menu->title != nullptr && entry.menu != titled) {
      window::appendMenuItem(place.menu, kEnabled, entry.menu->title, window::doNothing);
      titled = entry.menu;
    }
    const int flags = entry.separator() ? kSeparator : kEnabled | (entry.checkedAtStart ? window::kChecked : 0);
    window::insertMenuItem(place.menu, place.item, flags, entry.text, entry.command);
  });
}

void greyBusyCommands() { setBusySet(kGrayed); }

void enableBusyCommands() { setBusySet(kEnabled); }

void showRecentProjectItems(const std::vector<RecentItem>& items) {
  const int separator = recentSeparatorItem();
  const int shown = recentItemsShown.exchange(0);
  // From the end, so that each position still names its item.
  for (int k = shown; k >= 0 && shown > 0; --k) window::deleteMenuItem(kFileMenu.position, separator + k);
  if (items.empty()) return;
  window::insertMenuItem(kFileMenu.position, separator, kSeparator, "", kUncalled);
  int item = separator;
  for (const RecentItem& recent : items)
    window::insertMenuItem(kFileMenu.position, ++item, busyFlags.load(), recent.text, recent.command);
  recentItemsShown.store(int(items.size()));
}

MenuPlace placeOfCommand(Command command) {
  MenuPlace found;
  forEachPlacedItem([&](const ProgramItem& entry, MenuPlace place) {
    if (!entry.separator() && entry.command == command && found.menu == 0) found = place;
  });
  return found;
}

}  // namespace kelm
