#pragma once
// The frame's menu bar as data: entries, items, identifiers and the callback table. The frame
// renders it into a QMenuBar; tests read it directly. No Qt here.

#include <string>
#include <string_view>
#include <vector>

#include "window/menus.h"

namespace kelm::window {

inline constexpr int kFirstUserId = 1101;

struct MenuItem {
  std::string text;  // as shown, with its "&" mnemonic
  int id = 0;
  int flags = 0;             // kGrayed, kDisabled, kChecked, kSeparator
  bool startsColumn = false;  // the 21st, 41st, ... item of a drop-down
};

struct MenuEntry {
  std::string text;
  int id = 0;  // of a plain top-level command; 0 for a drop-down
  int flags = 0;
  bool dropDown = false;
  std::vector<MenuItem> items;
};

// Codes of the layer's own failure boxes.
enum LayerErrorCode { kOutOfMemory = 4, kInternalError = 5, kInconsistency = 6 };

class MenuBarModel {
 public:
  // The default bar with the built-in commands.
  MenuBarModel();

  // Each returns 1 on success and 0 on failure; positions count from 1.
  int append(int menu, int flags, std::string_view text, MenuCallback callback);
  int insert(int menu, int item, int flags, std::string_view text, MenuCallback callback);
  int remove(int menu, int item);
  int setFlags(int menu, int item, int flags);
  int setText(int menu, int item, std::string_view text);

  const std::vector<MenuEntry>& entries() const { return entries_; }
  // The callback of a program item, nullptr when the identifier is not bound.
  MenuCallback callbackFor(int id) const;
  // The current flags of the item carrying id, 0 when there is none.
  int flagsOf(int id) const;
  // Greys every item bound to a program callback, as at the end of the program.
  void greyProgramItems();
  // Last user identifier covered by the callback table.
  int tableBound() const { return tableBound_; }

  // The layer error of the last failing operation (0 after a silent failure or a success).
  int lastError() const { return lastError_; }

 private:
  MenuItem makeItem(int flags, std::string_view text, MenuCallback callback);
  void makeDropDown(MenuEntry& entry);
  bool isProgramId(int id) const { return id >= kFirstUserId && id <= tableBound_; }

  std::vector<MenuEntry> entries_;
  std::vector<MenuCallback> callbacks_;  // slot k: identifier 1101 + k
  int nextUserId_ = kFirstUserId;
  int tableBound_ = kFirstUserId - 1;
  int lastError_ = 0;
};

// The text with "&" put in front when it has none.
std::string withMnemonic(std::string_view text);

}  // namespace kelm::window
