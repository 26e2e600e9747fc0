// The display driver on the frame with the small example project: what a load shows, the
// busy set around it, the view windows it draws, and leaving from the idle state.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStatusBar>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

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
    std::filesystem::current_path(project_);
  }
  void TearDown() override {
    std::filesystem::current_path(home_);
    window::destroyLayerWindows();
  }
  const std::filesystem::path home_ = std::filesystem::current_path();
  const std::filesystem::path project_ = std::filesystem::path(KELM_EXAMPLES_DIR) / "simple";
};

TEST_F(Driver, LoadsIdlesAndLeavesWithinAPoll) {
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
  {
    // The beam is drawn in green, and the marker is a black column through the plot.
    window::Surface& beam = window::findUnitWindow(klplot::kBeamUnit).child->surface();
    std::lock_guard drawing(beam.lock);
    const QImage& image = beam.image;
    bool green = false;
    for (int y = 0; y < image.height() && !green; ++y)
      for (int x = 0; x < image.width() && !green; ++x) green = image.pixel(x, y) == qRgb(0, 0xC0, 0);
    EXPECT_TRUE(green);
    const int column = klplot::displayState.markerXBeam.load();
    ASSERT_GE(column, 0);
    ASSERT_LT(column, image.width());
    EXPECT_EQ(image.pixel(column, image.height() / 2), qRgb(0, 0, 0));
  }

  leaveRequested.store(1);
  const auto asked = std::chrono::steady_clock::now();
  // The windows close through the GUI thread, so it keeps serving while the driver leaves.
  ASSERT_TRUE(processEventsUntil([&] { return returned.load(); }));
  EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(2));
  program.join();

  EXPECT_EQ(statusText(), "Running");
  EXPECT_TRUE(solveIsGrey());
  for (int unit : {klplot::kPhasePlaneUnit, klplot::kBeamUnit, klplot::kCathodeUnit, klplot::kFieldUnit}) {
    EXPECT_FALSE(hasUnitWindow(unit)) << unit;
  }
}

}  // namespace
}  // namespace kelm
