// The program's menu bar on the frame, headless: the whole bar against its table after
// start-up, while idle and while busy, and the toggles relabelling their items.
#include <gtest/gtest.h>

#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRegularExpression>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "source/program/menus/commands.h"
#include "source/program/menus/save_target.h"
#include "source/program/request_flags.h"
#include "tests/records/temp_directory.h"
#include "tests/shell/program_frame.h"
#include "tests/window/gui_wait.h"
#include "window/output_window.h"

namespace kelm {
namespace {

using Bar = std::vector<std::vector<std::string>>;

Bar shownBar() {
  Bar bar;
  for (const window::MenuEntry& entry : window::layer().menus.entries()) bar.push_back(testing::menuTexts(entry));
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
      // Stop is grey whenever no command runs, busy or not.
      {"&Run", "&Edit geometry" + g, "&Edit klinput.dat" + g, "Build &net" + g, "&Solve" + g, "S&top (grey)",
       "&Batch mode" + g, "&Convergence plot" + g},
      {"&Help", "&Contents", "&Using Help", "&About"},
  };
}

using MenuBar = testing::ProgramFrame;

TEST_F(MenuBar, FollowsItsTableThroughStartUpIdleAndBusy) {
  EXPECT_EQ(shownBar(), expectedBar(true));
  enableBusyCommands();
  EXPECT_EQ(shownBar(), expectedBar(false));
  greyBusyCommands();
  // Help stays available while busy; Run does not.
  EXPECT_EQ(shownBar(), expectedBar(true));
}

TEST_F(MenuBar, TogglesRelabelTheirItemsAndAskForOneRedrawEach) {
  struct Toggle {
    void (*command)(std::int32_t*);
    std::atomic<int>& shown;
    std::size_t item;  // in the Window menu, from 0
    std::string what;
  } toggles[] = {{beamToggleCommand, beamShown, 9, "beam"}, {potentialToggleCommand, potentialShown, 10, "potential"}};
  std::int32_t state = 0;
  beamRedrawRequested.store(0);
  for (const Toggle& t : toggles) {
    for (int shown : {0, 1}) {
      t.command(&state);
      EXPECT_EQ(t.shown.load(), shown) << t.what;
      EXPECT_EQ(window::layer().menus.entries()[3].items[t.item].text, (shown ? "&Hide " : "&Show ") + t.what);
      EXPECT_EQ(beamRedrawRequested.exchange(0), 1) << t.what;
    }
  }
}


// The editor commands run while the Output window is minimised: a failure shows in a box, and
// on the Output window in one phrase on one line, however long the path after it.
TEST_F(MenuBar, EditorCommandsThatCannotStartAnEditorSaySoInABox) {
  const testing::TempDirectory temp;
  std::filesystem::create_directory(std::string(70, 'p'));
  std::filesystem::current_path(std::string(70, 'p'));
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
  const QRegularExpression phrase("^ No text editor could be started \\(set KELM_EDITOR\\) for ");
  const auto lines = [] { return window::layer().output->toPlainText().split('\n'); };
  EXPECT_TRUE(testing::processEventsUntil([&] { return lines().filter(phrase).size() == 2; }))
      << lines().join('\n').toStdString();
}

// File > Save never writes over a project's file, by any name or link that reaches one.
TEST(SaveTarget, RefusesEveryProjectFileAndLinksToOne) {
  const testing::TempDirectory temp;
  const std::string link = (temp.path() / "picture.png").string();
  std::filesystem::create_symlink("solve.csv", link);
  for (const std::string& path : {std::string("klplt.res"), std::string("/x/geom.cod"), std::string("solve-record.csv"), link})
    EXPECT_FALSE(saveTargetRefusal(path).empty()) << path;
  EXPECT_EQ(saveTargetRefusal("klplt.res.png"), "");
  EXPECT_EQ(saveTargetRefusal("potmap.dat"), "POTMAP.DAT is a project file: save the picture under another name.");
}

}  // namespace
}  // namespace kelm
