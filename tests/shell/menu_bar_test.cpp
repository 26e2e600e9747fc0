// The program's menu bar on the frame, headless: the whole bar against its table after
// start-up, while idle and while busy, and the toggles relabelling their items.
#include <gtest/gtest.h>

#include <QMessageBox>

#include <cstdlib>
#include <string>
#include <vector>

#include "source/commands.h"
#include "source/menu_bar.h"
#include "source/request_flags.h"
#include "tests/window/gui_wait.h"
#include "window/frame_window.h"
#include "window/layer.h"
#include "window/menus.h"

namespace kelm {
namespace {

using Bar = std::vector<std::vector<std::string>>;

// Each menu as its title followed by its items; separators as "-", grey items marked.
Bar shownBar() {
  Bar bar;
  for (const window::MenuEntry& entry : window::layer().menus.entries()) {
    std::vector<std::string> menu{entry.text};
    for (const window::MenuItem& item : entry.items) {
      if (item.flags & window::kSeparator) menu.emplace_back("-");
      else menu.push_back(item.text + ((item.flags & window::kGrayed) ? " (grey)" : ""));
    }
    bar.push_back(menu);
  }
  return bar;
}

Bar expectedBar(bool busy) {
  const std::string g = busy ? " (grey)" : "";
  return {
      {"&File", "&Print...", "&Save...", "E&xit\tCtrl+C", "&Print Geometry" + g, "&Print Magnetic field" + g,
       "&Print Phase plane" + g, "&Print Current density on cathode" + g, "-", "&Load Kelm project..." + g},
      {"&Edit", "Select &Text", "Select &Graphics", "Select &All", "&Copy\tCtrl+Ins", "&Paste"},
      {"&State", "&Pause\tCtrl+S", "&Watch project files"},
      {"&Window", "&Cascade", "&Tile", "&Arrange Icons", "&Input (grey)", "C&lear Paste", "&Status Bar", "-",
       "&Z-coordinate" + g, "-", "&Hide beam" + g, "&Hide potential" + g,
       "&Whole gun" + g},
      {"&Run", "&Edit geometry" + g, "&Edit klinput.dat" + g, "&Build net" + g, "&Solve" + g, "&Batch mode" + g},
      {"&Help", "&Contents", "&Using Help", "&About"},
  };
}

class MenuBar : public ::testing::Test {
 protected:
  void SetUp() override {
    window::createLayerWindows();
    buildMenuBar();
    greyBusyCommands();
  }
  void TearDown() override { window::destroyLayerWindows(); }
};

TEST_F(MenuBar, FollowsItsTableThroughStartUpIdleAndBusy) {
  EXPECT_EQ(shownBar(), expectedBar(true));
  enableBusyCommands();
  EXPECT_EQ(shownBar(), expectedBar(false));
  greyBusyCommands();
  // Help stays available while busy; Run does not.
  EXPECT_EQ(shownBar(), expectedBar(true));
}

TEST_F(MenuBar, TogglesRelabelTheirItemsAndAskForOneRedrawEach) {
  auto windowItem = [](int item) { return window::layer().menus.entries()[3].items[static_cast<std::size_t>(item - 1)].text; };
  std::int32_t state = 0;
  beamRedrawRequested.store(0);
  beamToggleCommand(&state);
  EXPECT_EQ(beamShown.load(), 0);
  EXPECT_EQ(windowItem(10), "&Show beam");
  EXPECT_EQ(beamRedrawRequested.exchange(0), 1);
  beamToggleCommand(&state);
  EXPECT_EQ(beamShown.load(), 1);
  EXPECT_EQ(windowItem(10), "&Hide beam");
  EXPECT_EQ(beamRedrawRequested.exchange(0), 1);

  potentialToggleCommand(&state);
  EXPECT_EQ(potentialShown.load(), 0);
  EXPECT_EQ(windowItem(11), "&Show potential");
  EXPECT_EQ(windowItem(10), "&Hide beam");
  potentialToggleCommand(&state);
  EXPECT_EQ(windowItem(11), "&Hide potential");
}


// The editor commands run while the Output window is minimised: a failure shows in a box.
TEST_F(MenuBar, EditorCommandsThatCannotStartAnEditorSaySoInABox) {
  setenv("KELM_EDITOR", "/nonexistent/kelm-editor", 1);
  struct Row {
    void (*command)(std::int32_t*);
    const char* file;
  } rows[] = {{editGeometryCommand, "geom.cod"}, {editInputCommand, "klinput.dat"}};
  for (const Row& row : rows) {
    QString said;
    std::int32_t state = 0;
    testing::actOnModal<QMessageBox>(
        [&](QMessageBox& box) {
          said = box.windowTitle() + ": " + box.text();
          box.accept();
        },
        [&] { row.command(&state); });
    EXPECT_TRUE(said.startsWith("KELM: No text editor could be started for ")) << said.toStdString();
    EXPECT_TRUE(said.contains(QString(row.file) + ".")) << said.toStdString();
  }
  unsetenv("KELM_EDITOR");
}

}  // namespace
}  // namespace kelm
