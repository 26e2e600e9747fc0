// The frame's layout kept between runs, in the settings directory of the test run: restored
// where it was, but never onto a screen that is not there.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

#include "window/frame_window.h"
#include "window/layer.h"
#include "window/user_settings.h"

namespace kelm::window {
namespace {

class FrameLayout : public ::testing::Test {
 protected:
  // Nothing saved by an earlier test of the same run.
  void SetUp() override {
    writeSettingsList("frame/normal", {});
    createLayerWindows();
  }
  void TearDown() override { destroyLayerWindows(); }
  static FrameWindow& frame() { return *layer().frame; }
  // The next run's frame, before it is shown.
  static void restart() {
    destroyLayerWindows();
    createLayerWindows();
    restoreFrameLayout();
  }
};

TEST_F(FrameLayout, TheNextRunGetsTheSameGeometryBackUnlessItsScreenIsGone) {
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  struct Case {
    QRect saved;
    bool back;
  } cases[] = {
      {QRect(screen.left() + 40, screen.top() + 30, screen.width() / 2, screen.height() / 2), true},
      {QRect(screen.left() + 10, screen.top() + 50, screen.width() / 3, screen.height() / 3), true},
      // A second monitor to the right, unplugged since.
      {QRect(screen.right() + 200, screen.top() + 40, 400, 300), false},
  };
  for (const Case& c : cases) {
    frame().setGeometry(c.saved);
    saveFrameLayout();
    restart();
    if (c.back) {
      EXPECT_EQ(frame().geometry(), c.saved);
    } else {
      EXPECT_TRUE(screen.contains(frame().geometry().center())) << frame().geometry().x();
    }
  }
}

TEST_F(FrameLayout, NothingSavedOrGarbageLeavesTheFrameAsCreated) {
  const QRect created = frame().geometry();
  restoreFrameLayout();
  EXPECT_EQ(frame().geometry(), created);
  writeSettingsList("frame/normal", {"not a geometry"});
  restart();
  EXPECT_EQ(frame().geometry(), created);
}

}  // namespace
}  // namespace kelm::window
