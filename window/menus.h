#pragma once
// The frame's menu bar: position-based operations, callbacks, About text and message boxes.

#include <cstdint>
#include <string>
#include <string_view>

namespace kelm::window {

// Called on the message thread with the address of a word holding the item's state.
using MenuCallback = void (*)(std::int32_t* state);

enum MenuFlag : int {
  kGrayed = 1, kDisabled = 2, kEnabled = 4, kSeparator = 8, kChecked = 16, kUnchecked = 32,
};

// Each returns 1 on success and 0 on failure. Menus and items count from 1; item 0 is the
// top-level entry itself.
int appendMenuItem(int menu, int flags, std::string_view text, MenuCallback callback);
int insertMenuItem(int menu, int item, int flags, std::string_view text, MenuCallback callback);
int deleteMenuItem(int menu, int item);
int setMenuItemFlags(int menu, int item, int flags);
int setMenuItemText(int menu, int item, std::string_view text);

// 0 on success, -1 for a text over 512 characters (the old text is kept).
int setAboutText(std::string_view text);

// Why File > Save must not write a picture to path (one sentence), or empty when it may.
using SaveRefusal = std::string (*)(const std::string& path);
void setSaveRefusal(SaveRefusal refusal);

// Built-in routines: passing one as the callback binds the item to that built-in command.
void builtinUsingHelp(std::int32_t* state);  // 1017
void builtinAbout(std::int32_t* state);      // 1018
// Bound like a program callback and does nothing (titles of new top-level menus).
void doNothing(std::int32_t* state);

// Message boxes of the program.
enum class BoxIcon { information, warning, error, question };
void showMessageBox(std::string_view caption, std::string_view text, BoxIcon icon);

}  // namespace kelm::window
