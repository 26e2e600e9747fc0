// The display driver on the frame with the small example project: what a load shows, the
// busy set around it, the view windows it opens, and leaving from the idle state.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QStatusBar>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "source/klplot/views/display_state.h"
#include "source/program/display/display_driver.h"
#include "source/program/display/view_windows.h"
#include "source/program/menus/commands.h"
#include "source/program/request_flags.h"
#include "tests/records/temp_directory.h"
#include "tests/shell/program_frame.h"
#include "tests/views/program_state.h"
#include "tests/window/gui_wait.h"
#include "window/child_window.h"
#include "window/output_window.h"

namespace kelm {
namespace {

namespace fs = std::filesystem;
using testing::processEventsUntil;
using testing::statusText;

bool solveIsGrey() { return (window::layer().menus.entries()[4].items[3].flags & window::kGrayed) != 0; }

class Driver : public testing::ProgramFrame {
 protected:
  void SetUp() override {
    testing::resetProgramState();
    ProgramFrame::SetUp();
    fs::current_path(project_);
  }
  void TearDown() override {
    fs::current_path(home_);
    ProgramFrame::TearDown();
  }
  const fs::path home_ = fs::current_path();
  const fs::path project_ = fs::path(KELM_EXAMPLES_DIR) / "simple";
};

// One load as the main loop makes it: once the driver idles, whileIdle runs, then the driver
// leaves. Returns the Output text the load added.
std::string loadOnce(const std::function<void()>& whileIdle = [] {}) {
  const qsizetype before = window::layer().output->toPlainText().size();
  std::atomic<bool> returned{false};
  std::thread program([&] {
    klplot::loadAndDisplay();
    returned = true;
  });
  // "Idle" is shown just before the busy set is enabled.
  EXPECT_TRUE(processEventsUntil([] { return statusText() == "Idle" && !solveIsGrey(); }));
  whileIdle();
  leaveRequested.store(1);
  // The windows close through the GUI thread, so it keeps serving while the driver leaves.
  EXPECT_TRUE(processEventsUntil([&] { return returned.load(); }));
  program.join();
  return window::layer().output->toPlainText().mid(before).toStdString();
}

TEST_F(Driver, LoadsIdlesAndLeaves) {
  // The Output lines, the caption and the views of a load are the batch script's, with real keys.
  loadOnce([] {
    // The first phase plane asks for 10 divisions where the example's spacing allows 3.
    ASSERT_TRUE(processEventsUntil([] { return klplot::displayState.densityDivisionsUsed.load() == 3; }));
    // 2 fit: what the dialog shows stays as it was. Leaving once the drawing has begun lets
    // it finish first.
    klplot::displayState.densityDivisions.store(2);
    klplot::displayState.densityDivisionsUsed.store(250);
    phasePlaneRequested.store(1);
    ASSERT_TRUE(processEventsUntil([] { return phasePlaneRequested.load() == 0; }));
  });
  EXPECT_EQ(klplot::displayState.densityDivisionsUsed.load(), 250);
  EXPECT_EQ(statusText(), "Running");
  EXPECT_TRUE(solveIsGrey());
  // The last results stay on screen while a command runs, until the next load replaces them.
  for (int unit : {klplot::kPhasePlaneUnit, klplot::kBeamUnit, klplot::kCathodeUnit, klplot::kFieldUnit}) {
    EXPECT_NE(window::findUnitWindow(unit).frame, nullptr) << unit;
  }
}

// The layout at load is the screen's; after Tile each view is drawn anew for its window's size,
// the phase plane's figures at its right included.
TEST_F(Driver, TiledViewsAreDrawnForTheirNewSize) {
  loadOnce([] {
    const auto image = [](int unit) {
      std::lock_guard guard(window::findUnitWindow(unit).child->surface().lock);
      return window::findUnitWindow(unit).child->surface().image.copy();
    };
    const auto widget = [](int unit) { return window::findUnitWindow(unit).child->size(); };
    const auto beamWidth = [] { return klplot::displayState.beamFrame.load().plotWidth + 8; };
    EXPECT_EQ(beamWidth(), klplot::displayState.width() - 8);
    window::layer().frame->runCommand(1011);  // Window > Tile
    EXPECT_TRUE(processEventsUntil([&] { return beamWidth() == widget(klplot::kBeamUnit).width(); }));
    const auto planeFilled = [&] {
      const QImage plane = image(klplot::kPhasePlaneUnit);
      if (plane.size() != widget(klplot::kPhasePlaneUnit)) return false;
      for (int y = 0; y < plane.height(); ++y)
        for (int x = plane.width() * 3 / 4; x < plane.width(); ++x)
          if (plane.pixel(x, y) != qRgb(255, 255, 255)) return true;
      return false;
    };
    EXPECT_TRUE(processEventsUntil(planeFilled));
  });
}

// A project below a directory name that is not valid text, deeper than the system can name in
// one path: the Output window shows its whole path, and the editor opens its geom.cod.
TEST_F(Driver, ADeepProjectIsNamedInFullAndEditedInPlace) {
  const testing::TempDirectory base;
  const fs::path editor = base.path() / "editor.sh", seen = base.path() / "editor.sh.seen";
  std::ofstream(editor) << "#!/bin/sh\n[ -f \"$1\" ] && cat \"$1\" > \"$0.tmp\" && mv \"$0.tmp\" \"$0.seen\"\n";
  fs::permissions(editor, fs::perms::owner_all);
  setenv("KELM_EDITOR", editor.c_str(), 1);

  // Entered one level at a time, as no single call may name the whole path.
  std::string deep = base.path().string();
  for (int i = 0; i < 20; ++i) {
    const std::string level = i == 0 ? "\xff\xfe project" : std::string(250, 'd');
    fs::create_directory(level);
    fs::current_path(level);
    deep += "/" + level;
  }
  ASSERT_GT(deep.size(), 4096u);
  const std::string content = "the deep project " + std::to_string(::getpid()) + "\n";
  std::ofstream("geom.cod") << content;

  const std::string added = loadOnce([&] {
    std::int32_t state = 0;
    editGeometryCommand(&state);
    EXPECT_TRUE(processEventsUntil([&] { return fs::exists(seen); }));
  });
  // Long text goes on over records of the Output window, each after a blank; bytes that are
  // not text show one character each.
  EXPECT_TRUE(QString::fromStdString(added).replace("\n ", "").contains(
      QString::fromLatin1(" Loading project from " + deep + "File GEOM.DAT")));
  EXPECT_EQ(testing::TempDirectory::readFile(seen.string()), content);
  unsetenv("KELM_EDITOR");
  // Too deep to be removed by its whole name: from within, level by level.
  fs::current_path(base.path());
  EXPECT_EQ(std::system("rm -rf ./*"), 0);
}

// A project directory deleted while open is named once per load as missing, and loaded again
// once it is back under its name; a newline in its name does not split a line.
TEST_F(Driver, AVanishedProjectIsNamedAndFoundAgainWhenBack) {
  const testing::TempDirectory base;
  const fs::path dir = base.path() / "gun\nB";
  const std::string shown = base.path().string() + "/gun\\nB", loading = " Loading project from " + shown + "\n";
  struct Step {
    bool present;
    std::string expected;
  } steps[] = {
      {true, loading + " File GEOM.DAT loaded\n"},
      {false, loading + " Project directory not found: " + shown + "\n File GEOM.DAT not found\n"},
      {true, loading + " File GEOM.DAT loaded\n"},
  };
  fs::copy(project_, dir, fs::copy_options::recursive);
  fs::current_path(dir);  // and kept there while the directory goes and comes back
  for (const Step& step : steps) {
    if (!step.present) fs::remove_all(dir);
    if (step.present && !fs::exists(dir)) fs::copy(project_, dir, fs::copy_options::recursive);
    const std::string added = loadOnce();
    EXPECT_NE(added.find(step.expected), std::string::npos) << added;
    EXPECT_EQ(window::layer().frame->windowTitle().toStdString(), "KELMDEMO: " + shown);
  }
}

// The status bar keeps what the load said of the project's files beside the run state, until
// the next load says otherwise.
TEST_F(Driver, TheStatusBarShowsWhatTheLastLoadSaidOfTheFiles) {
  const fs::path examples(KELM_EXAMPLES_DIR);
  const testing::TempDirectory empty;
  struct Row {
    fs::path project;
    const char* note;
  } rows[] = {
      {examples / "damaged" / "pot-too-many-lines", "POT.DAT damaged"},
      {examples / "simple", "All project files loaded"},
      {examples / "damaged" / "result-unknown-trajectory", "KLPLT.RES damaged"},
      {empty.path(), "GEOM.DAT not found, MAG.DAT not found, POT.DAT not found, KLPLT.RES not found"},
  };
  // What the load said of the files comes first; the run's figures follow.
  const auto loadWord = [] {
    const std::string text = window::layer().frame->statusBar()->findChildren<QLabel*>().at(1)->text().toStdString();
    return text.substr(0, text.find(" | "));
  };
  for (const Row& row : rows) {
    fs::current_path(row.project);
    loadOnce([&] { EXPECT_EQ(loadWord(), row.note) << row.project; });
    EXPECT_EQ(loadWord(), row.note) << row.project;
  }
}

}  // namespace
}  // namespace kelm
