// The batch run served by the main loop on a program thread, over three copies of the small
// example with the middle one removed before the run: what the "Output" window and the frame
// caption show, in order, and which project the display driver loads afterwards.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QPlainTextEdit>

#include <atomic>
#include <filesystem>
#include <thread>

#include "runtime/process_paths.h"
#include "source/program/batch/batch_run.h"
#include "source/program/display/display_driver.h"
#include "source/program/main_program.h"
#include "source/program/menus/menu_bar.h"
#include "source/program/request_flags.h"
#include "tests/records/temp_directory.h"
#include "tests/window/gui_wait.h"
#include "window/frame_window.h"
#include "window/layer.h"
#include "window/output_window.h"

namespace kelm {
namespace {

namespace fs = std::filesystem;

// Every caption the frame is given, in order.
class CaptionLog : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::WindowTitleChange) captions.push_back(static_cast<QWidget*>(watched)->windowTitle().toStdString());
    return false;
  }
  std::vector<std::string> captions;
};

using testing::processEventsUntil;
using testing::statusText;

// Whether the pieces occur in the text in this order.
bool inOrder(const std::string& text, const std::vector<std::string>& pieces) {
  std::size_t at = 0;
  for (const auto& piece : pieces) {
    at = text.find(piece, at);
    if (at == std::string::npos) return false;
    at += piece.size();
  }
  return true;
}

// Build net's and Solve's reports on the small example, blank lines around each.
std::vector<std::string> gunReports(const std::string& project) {
  return {" Loading project from " + project + "\n \n Build net\n geom.cod: 24 statements read\n",
          " geom.dat ready: ", "\n \n \n Solve\n geom.cod: 24 statements read\n", " Vacuum field of 4961 nodes solved in ",
          "\n \n"};
}

TEST(BatchRun, ReportsEachProjectInTurnPassesOverAMissingOneAndShowsTheLast) {
  testing::TempDirectory temp;
  const fs::path examples = fs::path(KELM_EXAMPLES_DIR) / "simple";
  std::vector<std::string> projects;
  // A missing project whose name holds a line break, and one without a name at all.
  for (const char* name : {"first", "gone\nB", "last"}) {
    fs::copy(examples, temp.path() / name, fs::copy_options::recursive);
    projects.push_back((temp.path() / name).string());
  }
  projects.insert(projects.begin() + 2, "");
  for (int k = 1; k <= 4; ++k) projectList(k) = projects[static_cast<std::size_t>(k - 1)];
  projectCount = 4;
  fs::remove_all(projects[1]);

  window::createLayerWindows();
  window::layer().frame->show();
  buildMenuBar();
  greyBusyCommands();
  CaptionLog captionLog;
  window::layer().frame->installEventFilter(&captionLog);

  // The main loop's turn after the driver returned with the batch requested, then the next load.
  batchRequested.store(1);
  std::atomic<bool> returned{false};
  std::thread program([&] {
    serveOneRequest();
    klplot::loadAndDisplay();
    returned = true;
  });
  const bool idle = processEventsUntil([&] { return statusText() == "Idle"; });
  leaveRequested.store(1);
  // The driver closes its windows through the GUI thread, so that keeps serving meanwhile.
  processEventsUntil([&] { return returned.load(); });
  program.join();
  ASSERT_TRUE(idle);

  EXPECT_EQ(batchRequested.load(), 0);
  EXPECT_EQ(currentDirectory(), projects[3]);
  const std::string output = window::layer().output->toPlainText().toStdString() + "\n";
  std::vector<std::string> expected = gunReports(projects[0]);
  expected.push_back(" Project directory not found: " + (temp.path() / "gone\\nB").string() + "\n");
  expected.push_back(" Project directory not found: \"\"\n");
  for (const auto& piece : gunReports(projects[3])) expected.push_back(piece);
  expected.push_back(" Loading project from " + projects[3] + "\n File GEOM.DAT loaded\n");
  EXPECT_TRUE(inOrder(output, expected)) << output;
  EXPECT_EQ(captionLog.captions,
            (std::vector<std::string>{"KELM: " + projects[0], "KELM: " + projects[3], "KELMDEMO: " + projects[3]}));

  window::layer().frame->removeEventFilter(&captionLog);
  window::destroyLayerWindows();
}

}  // namespace
}  // namespace kelm
