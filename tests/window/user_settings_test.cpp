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

QRect frameGeometry() { return layer().frame->geometry(); }

// The next run's frame, before it is shown.
void restart() {
  destroyLayerWindows();
  createLayerWindows();
  restoreFrameLayout();
}

TEST(FrameLayout, TheNextRunGetsTheSameGeometryBackUnlessItsScreenIsGoneOrNoneWasSaved) {
  writeSettingsList("frame/normal", {});  // nothing saved by an earlier test of the same run
  createLayerWindows();
  const QRect created = frameGeometry();
  restoreFrameLayout();
  EXPECT_EQ(frameGeometry(), created);

  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  for (const QRect& saved : {QRect(screen.left() + 40, screen.top() + 30, screen.width() / 2, screen.height() / 2),
                             QRect(screen.left() + 10, screen.top() + 50, screen.width() / 3, screen.height() / 3),
                             // A second monitor to the right, unplugged since.
                             QRect(screen.right() + 200, screen.top() + 40, 400, 300)}) {
    layer().frame->setGeometry(saved);
    saveFrameLayout();
    restart();
    if (screen.contains(saved)) {
      EXPECT_EQ(frameGeometry(), saved);
    } else {
      EXPECT_TRUE(screen.contains(frameGeometry().center())) << frameGeometry().x();
    }
  }
  writeSettingsList("frame/normal", {"not a geometry"});
  restart();
  EXPECT_EQ(frameGeometry(), created);
  destroyLayerWindows();
}

}  // namespace
}  // namespace kelm::window
