// Ctrl+S during Solve: the program thread holds between Solve's steps while paused, and the
// status bar names the iteration reached, since the Output window is minimised meanwhile.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QStatusBar>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "source/program/gun/gun_commands.h"
#include "tests/records/temp_directory.h"
#include "tests/window/gui_wait.h"
#include "window/frame_window.h"
#include "window/layer.h"
#include "window/output_window.h"

namespace kelm {
namespace {

namespace fs = std::filesystem;
using testing::processEventsUntil;

TEST(SolvePause, APausedSolveWaitsBetweenItsStepsAndTheStatusBarNamesTheIteration) {
  testing::TempDirectory dir;
  fs::copy(fs::path(KELM_EXAMPLES_DIR) / "simple", ".", fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  window::createLayerWindows();
  window::layer().frame->show();
  window::layer().runState = window::kPaused;
  std::atomic<bool> finished{false};
  std::thread program([&] {
    runSolve();
    finished = true;
  });
  processEventsUntil([] { return false; }, std::chrono::seconds(1));
  EXPECT_FALSE(finished.load());
  window::layer().runState = window::kRunning;
  // The last line reaches the Output window through the event queue, after the thread may have ended.
  const auto solvedLineShown = [] { return window::layer().output->toPlainText().contains("\n Solved in "); };
  EXPECT_TRUE(processEventsUntil([&] { return finished.load() && solvedLineShown(); }, std::chrono::seconds(120)))
      << window::layer().output->toPlainText().toStdString();
  program.join();
  const QLabel* note = window::layer().frame->statusBar()->findChildren<QLabel*>().at(1);
  EXPECT_TRUE(note->text().startsWith("Solve: Iteration")) << note->text().toStdString();
  window::destroyLayerWindows();
}

}  // namespace
}  // namespace kelm
