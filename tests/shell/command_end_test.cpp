// Build net and Solve served as the main loop serves them, on the frame: the status bar while
// they run and once the project is shown again, Stop, and a failure that brings "Output" up.
#include <gtest/gtest.h>

#include <QLabel>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRegularExpression>
#include <QStatusBar>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <regex>
#include <thread>

#include "source/program/display/display_driver.h"
#include "source/program/main_program.h"
#include "source/program/menus/commands.h"
#include "tests/records/temp_directory.h"
#include "tests/shell/program_frame.h"
#include "tests/views/program_state.h"
#include "tests/window/gui_wait.h"
#include "window/output_window.h"

namespace kelm {
namespace {

namespace fs = std::filesystem;
using testing::processEventsUntil;

QString note() { return window::layer().frame->statusBar()->findChildren<QLabel*>().at(1)->text(); }
bool stopIsGrey() { return (window::layer().menus.entries()[4].items[4].flags & window::kGrayed) != 0; }

void replaceInFile(const std::string& name, const std::string& pattern, const std::string& by) {
  testing::TempDirectory::writeFile(name, std::regex_replace(testing::TempDirectory::readFile(name), std::regex(pattern), by));
}

// A copy of the example on a fresh frame, as the program starts it.
struct CommandEnd {
  CommandEnd() {
    testing::resetProgramState();
    testing::startFrame();
    fs::copy(fs::path(KELM_EXAMPLES_DIR) / "simple", ".", fs::copy_options::recursive);
  }
  ~CommandEnd() { window::destroyLayerWindows(); }
  // The request served on a program thread, then the project shown again; whileServed runs on
  // the GUI thread until the command has ended.
  void serveAndShow(const std::function<void()>& whileServed) {
    std::atomic<int> stage{0};
    std::thread program([&] {
      serveOneRequest();
      stage = 1;
      klplot::loadAndDisplay();
      stage = 2;
    });
    whileServed();
    EXPECT_TRUE(processEventsUntil([&] { return stage.load() == 1; }, std::chrono::seconds(120)));
    // The busy set is enabled once the views are up.
    EXPECT_TRUE(processEventsUntil([] { return (window::layer().menus.entries()[4].items[3].flags & window::kGrayed) == 0; }));
    shown = note().toStdString();
    outputInFront = window::layer().frame->mdiArea()->activeSubWindow() == window::findUnitWindow(0).frame &&
                    !window::findUnitWindow(0).frame->isMinimized();
    leaveRequested.store(1);
    EXPECT_TRUE(processEventsUntil([&] { return stage.load() == 2; }));
    program.join();
  }
  testing::TempDirectory project{};
  std::string shown;
  bool outputInFront = false;
};

// What the status bar says once the project is shown again, and whether "Output" is in front.
// The files a stopped solve leaves are the openbox script's, with real keys.
TEST(CommandEnds, StatusBarAndOutput) {
  const auto progressBar = [] { return window::layer().frame->statusBar()->findChild<QProgressBar*>(); };
  const auto stopBetweenIterations = [&] {
    const QRegularExpression progress("^Iteration [0-9]+ of at most 10000, change [0-9.e-]+$");
    ASSERT_TRUE(processEventsUntil([&] { return progress.match(note()).hasMatch(); }, std::chrono::seconds(120)))
        << note().toStdString() << window::layer().output->toPlainText().toStdString();
    EXPECT_TRUE(progressBar()->isVisible());
    EXPECT_FALSE(stopIsGrey());
    stopCommand(nullptr);
  };
  struct Case {
    const char* name;
    std::function<void()> prepare;
    std::atomic<int>& request;
    const char* note;
    bool outputInFront;
    std::function<void()> whileServed = [] {};
  } cases[] = {
      {"failed", [] { replaceInFile("geom.cod", "  line 11 12 ", "  arc 11 12 radius -2 cw"); }, buildNetRequested,
       "Build net failed: geom\\.cod:16:[0-9]+ \\| All project files loaded \\| [0-9.]+ A, waist at z [0-9.]+ mm, "
       "r_rms [0-9.]+ mm", true},
      {"solved", [] {}, solveRequested,
       "Solved: [0-9]+ iterations, [0-9.]+ A, [0-9.]+ µP \\| All project files loaded \\| [0-9.]+ A, [0-9.]+ µP, "
       "waist at z .*", false},
      // Build net after the solve: the results belong to another mesh.
      {"stale", [] {
         replaceInFile("geom.cod", "cell 0.5 ", "cell 0.25");
         for (const char* result : {"klplt.res", "pot.dat"})
           fs::last_write_time(result, fs::last_write_time(result) - std::chrono::minutes(1));
       }, buildNetRequested, "Built: [0-9]+ outline points \\| Results older than the mesh: Solve again .*", false},
      {"stopped", [] {
         replaceInFile("klinput.dat", "iterations 25", "iterations 10000");
         replaceInFile("klinput.dat", "trajectories 12", "trajectories 1000");
         replaceInFile("klinput.dat", "tolerance 0.001", "tolerance 1e-9");
       }, solveRequested, "Solve stopped: the project is as it was \\| .*", false, stopBetweenIterations},
  };
  for (const Case& c : cases) {
    CommandEnd frame;
    c.prepare();
    c.request.store(1);
    frame.serveAndShow(c.whileServed);
    EXPECT_TRUE(std::regex_match(frame.shown, std::regex(c.note))) << c.name << ": " << frame.shown;
    EXPECT_EQ(frame.outputInFront, c.outputInFront) << c.name;
    EXPECT_TRUE(stopIsGrey()) << c.name;
    EXPECT_FALSE(progressBar()->isVisible()) << c.name;
  }
}

}  // namespace
}  // namespace kelm
