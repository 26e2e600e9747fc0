#include "window/menu_model.h"

#include <algorithm>

namespace kelm::window {

namespace {

constexpr int kItemsPerColumn = 20;
constexpr std::size_t kTitleLimit = 24;  // a command turned into a drop-down keeps this much

struct BuiltinBinding {
  MenuCallback routine;
  int id;
};
const BuiltinBinding kBuiltinRoutines[] = {{builtinUsingHelp, 1017}, {builtinAbout, 1018}};

int builtinIdOf(MenuCallback callback) {
  for (const BuiltinBinding& b : kBuiltinRoutines) {
    if (b.routine == callback) return b.id;
  }
  return 0;
}

// Built-in identifiers that deleting an item may remove.
bool isDeletableBuiltin(int id) { return id >= 1000 && id <= 1023 && id != 1005 && id != 1013 && id != 1014; }

int stateFlags(int flags) { return flags & (kGrayed | kDisabled | kSeparator | kChecked); }

MenuEntry dropDown(std::string text, std::vector<MenuItem> items) {
  MenuEntry entry;
  entry.text = std::move(text);
  entry.dropDown = true;
  entry.items = std::move(items);
  return entry;
}

}  // namespace

std::string withMnemonic(std::string_view text) {
  if (text.find('&') != std::string_view::npos) return std::string(text);
  return "&" + std::string(text);
}

MenuBarModel::MenuBarModel() {
  entries_ = {
      dropDown("&File", {{"&Print...", 1019}, {"&Save...", 1020}, {"E&xit\tCtrl+C", 1000}}),
      dropDown("&Edit", {{"Select &Text", 1001},
                         {"Select &Graphics", 1002},
                         {"Select &All", 1003},
                         {"&Copy\tCtrl+Ins", 1004},
                         {"&Paste", 1021}}),
      dropDown("&View", {{"&Size To Fit", 1006}, {"&Full Screen\tAlt+Enter", 1007}}),
      dropDown("&State", {{"&Pause\tCtrl+S", 1008}}),
      dropDown("&Window", {{"&Cascade", 1010},
                           {"&Tile", 1011},
                           {"&Arrange Icons", 1012},
                           {"&Input", 1023, kGrayed},
                           {"C&lear Paste", 1022},
                           {"&Status Bar", 1015}}),
      dropDown("&Help", {{"&Contents", 1016}, {"Using &Help", 1017}, {"&About", 1018}}),
  };
}

MenuItem MenuBarModel::makeItem(int flags, std::string_view text, MenuCallback callback) {
  MenuItem item;
  item.flags = stateFlags(flags);
  item.text = (flags & kSeparator) != 0 ? std::string() : withMnemonic(text);
  if (const int builtin = builtinIdOf(callback); builtin != 0) {
    item.id = builtin;
    return item;
  }
  item.id = nextUserId_++;
  // The table starts with 50 slots and grows by 10; bindings are never moved or reused.
  if (tableBound_ < kFirstUserId - 1 + 50) tableBound_ = kFirstUserId - 1 + 50;
  while (item.id > tableBound_) tableBound_ += 10;
  callbacks_.resize(static_cast<std::size_t>(tableBound_ - kFirstUserId + 1), nullptr);
  callbacks_[static_cast<std::size_t>(item.id - kFirstUserId)] = callback;
  return item;
}

void MenuBarModel::makeDropDown(MenuEntry& entry) {
  if (entry.dropDown) return;
  if (isProgramId(entry.id)) callbacks_[static_cast<std::size_t>(entry.id - kFirstUserId)] = nullptr;
  entry.text = entry.text.substr(0, kTitleLimit);
  entry.dropDown = true;
  entry.id = 0;
}

int MenuBarModel::append(int menu, int flags, std::string_view text, MenuCallback callback) {
  lastError_ = 0;
  const int n = static_cast<int>(entries_.size());
  if (menu < 1 || menu > n + 1) return 0;
  MenuItem item = makeItem(flags, text, callback);
  if (menu == n + 1) {
    MenuEntry entry;
    entry.text = item.text;
    entry.id = item.id;
    entry.flags = item.flags;
    entries_.push_back(std::move(entry));
    return 1;
  }
  MenuEntry& entry = entries_[static_cast<std::size_t>(menu - 1)];
  makeDropDown(entry);
  const std::size_t count = entry.items.size();
  item.startsColumn = count > 1 && count % kItemsPerColumn == 0;
  entry.items.push_back(std::move(item));
  return 1;
}

int MenuBarModel::insert(int menu, int item, int flags, std::string_view text, MenuCallback callback) {
  lastError_ = 0;
  const int n = static_cast<int>(entries_.size());
  if (menu < 1 || menu > n + 1 || item < 0) return 0;
  if (item == 0) {
    MenuItem made = makeItem(flags, text, callback);
    MenuEntry entry;
    entry.text = made.text;
    entry.id = made.id;
    entry.flags = made.flags;
    entries_.insert(entries_.begin() + (menu - 1), std::move(entry));
    return 1;
  }
  if (menu == n + 1) return 0;
  MenuEntry& entry = entries_[static_cast<std::size_t>(menu - 1)];
  const int m = entry.dropDown ? static_cast<int>(entry.items.size()) : 0;
  if (item > m + 1) return 0;
  makeDropDown(entry);
  entry.items.insert(entry.items.begin() + (item - 1), makeItem(flags, text, callback));
  return 1;
}

int MenuBarModel::remove(int menu, int item) {
  lastError_ = 0;
  const int n = static_cast<int>(entries_.size());
  if (menu < 1 || menu > n || item < 0) return 0;
  if (item == 0) {
    entries_.erase(entries_.begin() + (menu - 1));
    return 1;
  }
  MenuEntry& entry = entries_[static_cast<std::size_t>(menu - 1)];
  if (!entry.dropDown || item > static_cast<int>(entry.items.size())) return 0;
  const MenuItem& target = entry.items[static_cast<std::size_t>(item - 1)];
  if (!isProgramId(target.id) && !isDeletableBuiltin(target.id)) {
    lastError_ = kInternalError;
    return 0;
  }
  entry.items.erase(entry.items.begin() + (item - 1));
  return 1;
}

int MenuBarModel::setFlags(int menu, int item, int flags) {
  lastError_ = 0;
  const int n = static_cast<int>(entries_.size());
  if (menu < 1 || menu > n || item < 0) return 0;
  MenuEntry& entry = entries_[static_cast<std::size_t>(menu - 1)];
  int* target = &entry.flags;
  if (item >= 1) {
    if (!entry.dropDown || item > static_cast<int>(entry.items.size())) return 0;
    target = &entry.items[static_cast<std::size_t>(item - 1)].flags;
  }
  if ((flags & (kChecked | kUnchecked)) != 0) {
    *target = (flags & kChecked) != 0 ? (*target | kChecked) : (*target & ~kChecked);
  }
  if ((flags & (kGrayed | kDisabled | kEnabled)) != 0) {
    *target &= ~(kGrayed | kDisabled);
    *target |= flags & (kGrayed | kDisabled);
  }
  return 1;
}

int MenuBarModel::setText(int menu, int item, std::string_view text) {
  lastError_ = 0;
  const int n = static_cast<int>(entries_.size());
  if (menu < 1 || menu > n || item < 0) return 0;
  MenuEntry& entry = entries_[static_cast<std::size_t>(menu - 1)];
  if (item == 0) {
    entry.text = withMnemonic(text);
    return 1;
  }
  if (!entry.dropDown || item > static_cast<int>(entry.items.size())) return 0;
  entry.items[static_cast<std::size_t>(item - 1)].text = withMnemonic(text);
  return 1;
}

MenuCallback MenuBarModel::callbackFor(int id) const {
  if (!isProgramId(id)) return nullptr;
  const auto slot = static_cast<std::size_t>(id - kFirstUserId);
  return slot < callbacks_.size() ? callbacks_[slot] : nullptr;
}

int MenuBarModel::flagsOf(int id) const {
  for (const MenuEntry& entry : entries_) {
    if (!entry.dropDown && entry.id == id) return entry.flags;
    for (const MenuItem& item : entry.items) {
      if (item.id == id) return item.flags;
    }
  }
  return 0;
}

void MenuBarModel::greyProgramItems() {
  auto grey = [this](int id, int& flags) {
    if (callbackFor(id) != nullptr) flags |= kGrayed;
  };
  for (MenuEntry& entry : entries_) {
    if (!entry.dropDown) grey(entry.id, entry.flags);
    for (MenuItem& item : entry.items) grey(item.id, item.flags);
  }
}

}  // namespace kelm::window
