// Position-based menu operations against the default bar (whose items the menu bar test shows).
#include <gtest/gtest.h>

#include "window/menu_model.h"

namespace kelm::window {
namespace {

int calls = 0;
void program(std::int32_t*) { ++calls; }
void other(std::int32_t*) {}

TEST(MenuModel, AppendingTwiceToTheNextPositionMakesADropDown) {
  MenuBarModel model;
  ASSERT_EQ(model.append(7, kEnabled, "&Run", doNothing), 1);
  EXPECT_FALSE(model.entries()[6].dropDown);
  const int titleId = model.entries()[6].id;
  EXPECT_EQ(titleId, kFirstUserId);
  ASSERT_EQ(model.append(7, kEnabled, "Print Geometry", program), 1);
  const MenuEntry& run = model.entries()[6];
  EXPECT_TRUE(run.dropDown);
  EXPECT_EQ(run.text, "&Run");
  ASSERT_EQ(run.items.size(), 1u);
  EXPECT_EQ(run.items[0].text, "&Print Geometry");  // a mnemonic is put in front
  EXPECT_EQ(run.items[0].id, kFirstUserId + 1);      // identifiers are not reused
  EXPECT_EQ(model.callbackFor(titleId), nullptr);    // the title's slot was emptied
  EXPECT_EQ(model.callbackFor(kFirstUserId + 1), &program);
  EXPECT_EQ(model.append(9, kEnabled, "x", program), 0);  // beyond n + 1
  EXPECT_EQ(model.append(0, kEnabled, "x", program), 0);
}

TEST(MenuModel, BuiltInRoutinesBindTheirCommandsWithoutUserIdentifiers) {
  MenuBarModel model;
  ASSERT_EQ(model.append(1, kEnabled, "&About", builtinAbout), 1);
  ASSERT_EQ(model.append(1, kEnabled, "Again", program), 1);
  EXPECT_EQ(model.entries()[0].items[3].id, 1018);
  EXPECT_EQ(model.entries()[0].items[4].id, kFirstUserId);
}

TEST(MenuModel, InsertDeleteAndPositionChecks) {
  MenuBarModel model;
  ASSERT_EQ(model.insert(5, 7, kSeparator, "", program), 1);  // m + 1 appends
  EXPECT_EQ(model.entries()[4].items[6].flags, kSeparator);
  EXPECT_EQ(model.insert(5, 9, kEnabled, "x", program), 0);
  ASSERT_EQ(model.insert(2, 0, kEnabled, "New", program), 1);  // a top-level entry
  EXPECT_EQ(model.entries()[1].text, "&New");
  EXPECT_EQ(model.entries()[2].text, "&Edit");

  // Two items of "&View" deleted, then the entry itself: those to its right move left.
  ASSERT_EQ(model.remove(4, 1), 1);
  ASSERT_EQ(model.remove(4, 1), 1);
  EXPECT_EQ(model.remove(4, 1), 0);
  ASSERT_EQ(model.remove(4, 0), 1);
  EXPECT_EQ(model.entries()[3].text, "&State");
  EXPECT_EQ(model.remove(99, 0), 0);
  EXPECT_EQ(model.lastError(), 0);
}

TEST(MenuModel, FlagsAndTextsKeepIdentifiers) {
  MenuBarModel model;
  ASSERT_EQ(model.setFlags(1, 1, kGrayed | kChecked), 1);
  EXPECT_EQ(model.entries()[0].items[0].flags, kGrayed | kChecked);
  ASSERT_EQ(model.setFlags(1, 1, kEnabled | kUnchecked), 1);
  EXPECT_EQ(model.entries()[0].items[0].flags, 0);
  ASSERT_EQ(model.setFlags(1, 1, kGrayed | kDisabled), 1);
  EXPECT_EQ(model.entries()[0].items[0].flags, kGrayed | kDisabled);
  ASSERT_EQ(model.setFlags(1, 0, kGrayed), 1);
  EXPECT_EQ(model.entries()[0].flags, kGrayed);
  ASSERT_EQ(model.setText(1, 1, "Show beam"), 1);
  EXPECT_EQ(model.entries()[0].items[0].text, "&Show beam");
  EXPECT_EQ(model.entries()[0].items[0].id, 1019);
  EXPECT_EQ(model.setText(1, 4, "x"), 0);
  EXPECT_EQ(model.setFlags(7, 0, kGrayed), 0);
}

TEST(MenuModel, TheTableGrowsByTenAndTheTwentyFirstItemStartsAColumn) {
  MenuBarModel model;
  ASSERT_EQ(model.append(7, kEnabled, "Many", doNothing), 1);
  for (int i = 0; i < 60; ++i) ASSERT_EQ(model.append(7, kEnabled, "item", i % 2 ? program : other), 1);
  const MenuEntry& many = model.entries()[6];
  for (std::size_t i = 0; i < many.items.size(); ++i) {
    EXPECT_EQ(many.items[i].startsColumn, i == 20 || i == 40) << i;
  }
  EXPECT_EQ(many.items.back().id, kFirstUserId + 60);
  EXPECT_EQ(model.callbackFor(kFirstUserId + 60), &program);

  model.greyProgramItems();
  EXPECT_EQ(many.items[0].flags & kGrayed, kGrayed);
  EXPECT_EQ(model.entries()[5].items[2].flags & kGrayed, 0);  // built-ins stay
}

}  // namespace
}  // namespace kelm::window
