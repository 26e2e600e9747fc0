// Position-based menu operations where the program's own bar (pinned by the menu bar test)
// does not go: positions outside the bar, identifiers and callbacks after a title becomes a
// drop-down, and built-in routines bound by their commands.
#include <gtest/gtest.h>

#include "window/menu_model.h"

namespace kelm::window {
namespace {

void program(std::int32_t*) {}

TEST(MenuModel, ATitleThatBecomesADropDownGivesUpItsCallbackAndIdentifiersAreNotReused) {
  MenuBarModel model;
  ASSERT_EQ(model.append(7, kEnabled, "&Run", doNothing), 1);
  const int titleId = model.entries()[6].id;
  ASSERT_EQ(model.append(7, kEnabled, "Print Geometry", program), 1);
  const MenuEntry& run = model.entries()[6];
  EXPECT_TRUE(run.dropDown);
  EXPECT_EQ(run.items[0].id, titleId + 1);
  EXPECT_EQ(model.callbackFor(titleId), nullptr);  // a click on the title runs nothing
  EXPECT_EQ(model.callbackFor(titleId + 1), &program);

  // Built-in routines keep their commands' identifiers.
  ASSERT_EQ(model.append(1, kEnabled, "&About", builtinAbout), 1);
  ASSERT_EQ(model.append(1, kEnabled, "Again", program), 1);
  EXPECT_EQ(model.entries()[0].items[3].id, 1018);
  EXPECT_EQ(model.entries()[0].items[4].id, titleId + 2);
}

TEST(MenuModel, PositionsOutsideTheBarAreRefused) {
  MenuBarModel model;
  EXPECT_EQ(model.append(9, kEnabled, "x", program), 0);  // beyond n + 1
  EXPECT_EQ(model.append(0, kEnabled, "x", program), 0);
  EXPECT_EQ(model.insert(5, 9, kEnabled, "x", program), 0);
  EXPECT_EQ(model.remove(99, 0), 0);
  EXPECT_EQ(model.setText(1, 4, "x"), 0);
  EXPECT_EQ(model.setFlags(7, 0, kGrayed), 0);
  ASSERT_EQ(model.remove(3, 1), 1);
  ASSERT_EQ(model.remove(3, 1), 1);
  EXPECT_EQ(model.remove(3, 1), 0);  // "&View" is empty now
  ASSERT_EQ(model.setFlags(1, 1, kGrayed | kChecked), 1);
  ASSERT_EQ(model.setFlags(1, 1, kEnabled | kUnchecked), 1);
  EXPECT_EQ(model.entries()[0].items[0].flags, 0);
}

}  // namespace
}  // namespace kelm::window
