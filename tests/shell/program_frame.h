#pragma once
// The frame as the program starts it (its windows, the program's menu bar, the busy set grey),
// and a menu of that bar as the user reads it.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "source/program/menus/menu_bar.h"
#include "window/frame_window.h"
#include "window/layer.h"
#include "window/menus.h"

namespace kelm::testing {

inline void startFrame() {
  window::createLayerWindows();
  window::layer().frame->show();
  buildMenuBar();
  greyBusyCommands();
}

class ProgramFrame : public ::testing::Test {
 protected:
  void SetUp() override { startFrame(); }
  void TearDown() override { window::destroyLayerWindows(); }
};

// A menu's title followed by its items; separators as "-", grey items marked.
inline std::vector<std::string> menuTexts(const window::MenuEntry& entry) {
  std::vector<std::string> menu{entry.text};
  for (const window::MenuItem& item : entry.items) {
    if (item.flags & window::kSeparator) menu.emplace_back("-");
    else menu.push_back(item.text + ((item.flags & window::kGrayed) ? " (grey)" : ""));
  }
  return menu;
}

}  // namespace kelm::testing
