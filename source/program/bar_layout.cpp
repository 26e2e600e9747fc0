#include "source/program/bar_layout.h"

#include <atomic>

namespace kelm {
namespace {

using window::kEnabled;
using window::kGrayed;
using window::kSeparator;

// In the order of the bar: the items of each menu are added in this order.
constexpr const ProgramMenu* kMenus[] = {&kFileMenu, &kStateMenu, &kWindowMenu, &kRunMenu, &kHelpMenu};

// Every item of the program, menu by menu, as the table handed them over.
std::span<const ProgramItem> programItems;

// The place of each item, as the bar holds it once every item is in.
template <class Visit>
void forEachPlacedItem(Visit visit) {
  for (const ProgramMenu* menu : kMenus) {
    int item = menu->layerItems;
    for (const ProgramItem& entry : programItems)
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
  for (const ProgramItem& entry : programItems) item += entry.menu == &kFileMenu ? 1 : 0;
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

void buildBar(std::span<const ProgramItem> items) {
  programItems = items;
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
  window::insertMenuItem(kFileMenu.position, separator, kSeparator, "", window::doNothing);
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
