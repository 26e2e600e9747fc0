// Ctrl+S during Solve: the program thread holds between Solve's steps while paused.
#include <gtest/gtest.h>

#include <sys/syscall.h>
#include <unistd.h>

#include <QPlainTextEdit>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
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

// How often the thread has gone to sleep of its own accord, and whether it sleeps on a timer
// now, as the pause's wait does; -1 once the thread has ended.
long timedSleeps(pid_t thread) {
  const std::string task = "/proc/self/task/" + std::to_string(thread);
  std::ifstream call(task + "/syscall"), status(task + "/status");
  long number = -1;
  if (!(call >> number)) return -1;
#ifdef SYS_nanosleep  // not on every architecture
  if (number == SYS_nanosleep) number = SYS_clock_nanosleep;
#endif
  if (number != SYS_clock_nanosleep) return -1;
  for (std::string word; status >> word;) {
    if (word == "voluntary_ctxt_switches:" && status >> number) return number;
  }
  return -1;
}

TEST(SolvePause, APausedSolveWaitsBetweenItsSteps) {
  testing::TempDirectory dir;
  fs::copy(fs::path(KELM_EXAMPLES_DIR) / "simple", ".", fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  window::createLayerWindows();
  window::layer().frame->show();
  window::layer().runState = window::kPaused;
  std::atomic<pid_t> thread{0};
  std::atomic<bool> finished{false};
  std::thread program([&] {
    thread = static_cast<pid_t>(::gettid());
    runSolve();
    finished = true;
  });
  // Held after its first step: the thread goes round the pause's wait again and again (each
  // turn a timed sleep of its own) and shows no further line meanwhile. A pause that let Solve
  // go on would end it, or show its next line, before the third turn.
  const auto output = [] { return window::layer().output->toPlainText(); };
  ASSERT_TRUE(processEventsUntil([&] { return output().endsWith("\n Solve\n geom.cod: 24 statements read"); }))
      << output().toStdString();
  long first = -1;
  ASSERT_TRUE(processEventsUntil([&] { return (first = timedSleeps(thread)) >= 0; }));
  EXPECT_TRUE(processEventsUntil([&] { return timedSleeps(thread) >= first + 3; }));
  EXPECT_FALSE(finished.load());
  EXPECT_TRUE(output().endsWith("\n Solve\n geom.cod: 24 statements read")) << output().toStdString();
  window::layer().runState = window::kRunning;
  // The last line reaches the Output window through the event queue, after the thread may have ended.
  const auto solvedLineShown = [&] { return output().contains("\n Solved in "); };
  EXPECT_TRUE(processEventsUntil([&] { return finished.load() && solvedLineShown(); }, std::chrono::seconds(120)))
      << output().toStdString();
  program.join();
  window::destroyLayerWindows();
}

}  // namespace
}  // namespace kelm
