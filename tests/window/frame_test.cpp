// The frame with its child windows, headless: units, the active window, closing, menu dispatch
// and the "Output" window fed from another thread.
#include <gtest/gtest.h>

#include <QMenu>
#include <QMenuBar>
#include <QMdiArea>
#include <QThread>

#include <atomic>
#include <thread>

#include "records/formatted.h"
#include "records/units.h"
#include "tests/window/gui_wait.h"
#include "window/child_window.h"
#include "window/frame.h"
#include "window/frame_window.h"
#include "window/layer.h"
#include "window/menus.h"
#include "window/output_window.h"

namespace kelm::window {
namespace {

using testing::processEventsUntil;

// With a view window on unit 12 beside "Output".
class Frame : public ::testing::Test {
 protected:
  void SetUp() override {
    createLayerWindows();
    layer().frame->show();
    ASSERT_EQ(records::openUnit(12, {.file = "USER", .title = "Beam"}), 0);
  }
  void TearDown() override {
    records::closeUnit(12);
    destroyLayerWindows();
  }
};

// A closed window is no longer a target of anything addressed to its unit.
TEST_F(Frame, WindowUnitsComeAndGoWithTheirWindows) {
  EXPECT_EQ(setActiveWindow(12), 1);
  ASSERT_EQ(records::closeUnit(12), 0);
  EXPECT_EQ(windowHandle(12), -1);
  EXPECT_EQ(setActiveWindow(12), 0);
  EXPECT_EQ(getActiveWindow(), kOutputUnit);
  EXPECT_EQ(focusWindow(12), -1);
  EXPECT_EQ(registerMouseCallback(12, kLeftDown, nullptr), -2);
}

TEST_F(Frame, CloseButtonsOnlyHideWindowsUntilCascadeOrTile) {
  QMdiArea* area = layer().frame->mdiArea();
  for (int command : {1010, 1011}) {  // Cascade, Tile
    for (int unit : {kOutputUnit, 12}) {
      area->setActiveSubWindow(findUnitWindow(unit).frame);
      ASSERT_FALSE(findUnitWindow(unit).frame->close()) << unit;
      EXPECT_TRUE(findUnitWindow(unit).frame->isHidden()) << unit;
      EXPECT_NE(area->activeSubWindow(), findUnitWindow(unit).frame) << unit;
    }
    QCoreApplication::processEvents();
    ASSERT_NE(layer().output, nullptr);
    ASSERT_NE(findUnitWindow(12).child, nullptr);
    // Both still take what the program writes.
    records::print("after closing", command);
    const QString record = QString(" after closing %1").arg(command);
    ASSERT_TRUE(processEventsUntil([&] { return layer().output->toPlainText().contains(record); }));
    EXPECT_EQ(setActiveWindow(12), 1);
    EXPECT_EQ(clearScreen(0), 1);

    layer().frame->runCommand(command);
    EXPECT_FALSE(findUnitWindow(kOutputUnit).frame->isHidden()) << command;
    EXPECT_FALSE(findUnitWindow(12).frame->isHidden()) << command;
  }
}

std::atomic<int> callsOnMessageThread{0};
void countMenuCall(std::int32_t*) {
  if (QThread::currentThread() == QCoreApplication::instance()->thread()) ++callsOnMessageThread;
}

TEST_F(Frame, ProgramItemsRunOnTheMessageThreadExceptWhilePaused) {
  ASSERT_EQ(appendMenuItem(7, kEnabled, "&Run", doNothing), 1);
  ASSERT_EQ(appendMenuItem(7, kEnabled, "&Solve", countMenuCall), 1);
  const int id = layer().menus.entries()[6].items[0].id;
  callsOnMessageThread = 0;
  layer().frame->runCommand(id);
  EXPECT_EQ(callsOnMessageThread, 1);
  layer().runState = kPaused;
  layer().frame->runCommand(id);
  EXPECT_EQ(callsOnMessageThread, 1);
  layer().runState = kRunning;
}

QMenu* shownMenu(const QString& title) {
  for (QAction* entry : layer().frame->menuBar()->actions()) {
    if (entry->text() == title) return entry->menu();
  }
  return nullptr;
}

TEST_F(Frame, GreyingAndRelabellingKeepAnOpenMenuOpen) {
  ASSERT_EQ(appendMenuItem(7, kEnabled, "&Run", doNothing), 1);
  ASSERT_EQ(appendMenuItem(7, kEnabled, "&Solve", countMenuCall), 1);
  QPointer<QMenu> run = shownMenu("&Run");
  ASSERT_NE(run, nullptr);
  run->popup(QPoint(10, 10));
  QPointer<QAction> solve = run->actions().value(0);
  ASSERT_TRUE(processEventsUntil([&] { return run->isVisible(); }));

  EXPECT_EQ(setMenuItemFlags(7, 1, kGrayed), 1);
  EXPECT_EQ(setMenuItemText(7, 1, "&Solve again"), 1);
  EXPECT_EQ(setMenuItemFlags(7, 0, kChecked), 1);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_NE(run, nullptr);
  EXPECT_TRUE(run->isVisible());
  ASSERT_NE(solve, nullptr);
  EXPECT_FALSE(solve->isEnabled());
  EXPECT_EQ(solve->text(), "&Solve again");
  run->hide();

  // A change of shape builds the bar again; the new menu is complete.
  EXPECT_EQ(appendMenuItem(7, kEnabled, "&Build net", countMenuCall), 1);
  QCoreApplication::processEvents();
  ASSERT_NE(shownMenu("&Run"), nullptr);
  EXPECT_EQ(shownMenu("&Run")->actions().size(), 2);
}

TEST_F(Frame, OutputReceivesRecordsFromTheProgramThreadInOrder) {
  std::thread program([] {
    for (int i = 1; i <= 200; ++i) records::print("line", static_cast<std::int32_t>(i));
  });
  const bool arrived = processEventsUntil([] { return layer().output->blockCount() >= 200; });
  program.join();
  ASSERT_TRUE(arrived);
  const QString text = layer().output->toPlainText();
  EXPECT_TRUE(text.endsWith(" line 199\n line 200")) << text.right(40).toStdString();
}

}  // namespace
}  // namespace kelm::window
