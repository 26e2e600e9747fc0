// The display driver on the frame with the small example project: what a load shows, the
// busy set around it, the view windows it opens, and leaving from the idle state.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "source/commands.h"
#include "source/klplot/display_state.h"
#include "source/klplot/klplotdemo.h"
#include "source/klplot/view_windows.h"
#include "source/menu_bar.h"
#include "source/request_flags.h"
#include "tests/window/gui_wait.h"
#include "window/child_window.h"
#include "window/frame_window.h"
#include "window/layer.h"
#include "window/output_window.h"

namespace kelm {
namespace {

using testing::processEventsUntil;
using testing::statusText;

bool solveIsGrey() { return (window::layer().menus.entries()[4].items[3].flags & window::kGrayed) != 0; }

bool hasUnitWindow(int unit) { return window::findUnitWindow(unit).frame != nullptr; }

class Driver : public ::testing::Test {
 protected:
  void SetUp() override {
    window::createLayerWindows();
    window::layer().frame->show();
    buildMenuBar();
    greyBusyCommands();
    klplot::displayState.densityDivisions.store(10);
    klplot::displayState.densityDivisionsUsed.store(10);
    std::filesystem::current_path(project_);
  }
  void TearDown() override {
    std::filesystem::current_path(home_);
    window::destroyLayerWindows();
  }
  const std::filesystem::path home_ = std::filesystem::current_path();
  const std::filesystem::path project_ = std::filesystem::path(KELM_EXAMPLES_DIR) / "simple";
};

TEST_F(Driver, LoadsIdlesAndLeaves) {
  std::atomic<bool> returned{false};
  std::thread program([&] {
    klplot::loadAndDisplay();
    returned = true;
  });
  // "Idle" is shown just before the busy set is enabled.
  ASSERT_TRUE(processEventsUntil([] { return statusText() == "Idle" && !solveIsGrey(); }));

  EXPECT_EQ(window::layer().frame->windowTitle().toStdString(), "KELMDEMO: " + project_.string());
  const QString output = window::layer().output->toPlainText();
  EXPECT_TRUE(output.contains(QString::fromStdString(" Loading project from " + project_.string() + "\n"
                                                     " File GEOM.DAT loaded\n File MAG.DAT loaded\n"
                                                     " File POT.DAT loaded\n File KLPLT.RES loaded")))
      << output.toStdString();
  for (int unit : {klplot::kPhasePlaneUnit, klplot::kBeamUnit, klplot::kCathodeUnit, klplot::kFieldUnit}) {
    EXPECT_TRUE(hasUnitWindow(unit)) << unit;
  }

  // The first phase plane asks for 10 divisions where the example's spacing allows 3.
  ASSERT_TRUE(processEventsUntil([] { return klplot::displayState.densityDivisionsUsed.load() == 3; }));
  // 2 fit: what the dialog shows stays as it was. Leaving once the drawing has begun lets
  // it finish first.
  klplot::displayState.densityDivisions.store(2);
  klplot::displayState.densityDivisionsUsed.store(250);
  phasePlaneRequested.store(1);
  ASSERT_TRUE(processEventsUntil([] { return phasePlaneRequested.load() == 0; }));
  leaveRequested.store(1);
  // The windows close through the GUI thread, so it keeps serving while the driver leaves.
  ASSERT_TRUE(processEventsUntil([&] { return returned.load(); }));
  program.join();

  EXPECT_EQ(klplot::displayState.densityDivisionsUsed.load(), 250);
  EXPECT_EQ(statusText(), "Running");
  EXPECT_TRUE(solveIsGrey());
  for (int unit : {klplot::kPhasePlaneUnit, klplot::kBeamUnit, klplot::kCathodeUnit, klplot::kFieldUnit}) {
    EXPECT_FALSE(hasUnitWindow(unit)) << unit;
  }
}

// A project below a directory name that is not valid text, deeper than the system can name in
// one path: the Output window shows its whole path, and the editor opens its geom.cod.
TEST_F(Driver, ADeepProjectIsNamedInFullAndEditedInPlace) {
  const std::filesystem::path base =
      std::filesystem::temp_directory_path() / ("kelm-deep-" + std::to_string(::getpid()));
  std::filesystem::create_directories(base);
  const auto editor = base / "editor.sh", seen = base / "seen";
  std::ofstream(editor) << "#!/bin/sh\n[ -f \"$1\" ] && cat \"$1\" > '" << seen.string() << ".tmp' && mv '"
                        << seen.string() << ".tmp' '" << seen.string() << "'\n";
  std::filesystem::permissions(editor, std::filesystem::perms::owner_all);
  setenv("KELM_EDITOR", editor.c_str(), 1);

  // Entered one level at a time, as no single call may name the whole path.
  std::filesystem::current_path(base);
  std::string deep = base.string();
  for (int i = 0; i < 20; ++i) {
    const std::string level = i == 0 ? "\xff\xfe project" : std::string(250, 'd');
    std::filesystem::create_directory(level);
    std::filesystem::current_path(level);
    deep += "/" + level;
  }
  ASSERT_GT(deep.size(), 4096u);
  const std::string content = "the deep project " + std::to_string(::getpid()) + "\n";
  std::ofstream("geom.cod") << content;

  std::atomic<bool> returned{false};
  std::thread program([&] {
    klplot::loadAndDisplay();
    returned = true;
  });
  const bool idle = processEventsUntil([] { return statusText() == "Idle"; });
  // Long text goes on over records of the Output window, each after a blank.
  const QByteArray shown = window::layer().output->toPlainText().toLatin1().replace("\n ", "");
  EXPECT_TRUE(shown.contains(QByteArray::fromStdString(" Loading project from " + deep + "File GEOM.DAT")));

  std::int32_t state = 0;
  editGeometryCommand(&state);
  EXPECT_TRUE(processEventsUntil([&] { return std::filesystem::exists(seen); }));
  std::ifstream in(seen);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), content);

  leaveRequested.store(1);
  EXPECT_TRUE(processEventsUntil([&] { return returned.load(); }));
  program.join();
  EXPECT_TRUE(idle);
  unsetenv("KELM_EDITOR");
  std::filesystem::current_path(home_);
  EXPECT_EQ(std::system(("rm -rf '" + base.string() + "'").c_str()), 0);
}

}  // namespace
}  // namespace kelm
