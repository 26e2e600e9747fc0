// The zoom gestures of a view window as Qt delivers them where real input does not reach: half
// notches, a pause, a left drag; and the status bar's read-out field.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMouseEvent>
#include <QStatusBar>
#include <QWheelEvent>

#include <algorithm>
#include <string>
#include <vector>

#include "records/units.h"
#include "tests/window/gui_wait.h"
#include "window/child_window.h"
#include "window/frame.h"
#include "window/frame_window.h"
#include "window/layer.h"

namespace kelm::window {
namespace {

std::vector<std::string> gestures;

std::string point(std::int32_t x, std::int32_t y) { return " " + std::to_string(x) + "," + std::to_string(y); }
void wheel(std::int32_t unit, std::int32_t x, std::int32_t y, std::int32_t notches) {
  gestures.push_back("wheel " + std::to_string(unit) + point(x, y) + " " + std::to_string(notches));
}
void rectangle(std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t) { gestures.push_back("rectangle"); }
void home(std::int32_t) { gestures.push_back("home"); }
void back(std::int32_t unit) { gestures.push_back("back " + std::to_string(unit)); }

class ZoomGestures : public ::testing::Test {
 protected:
  void SetUp() override {
    createLayerWindows();
    layer().frame->show();
    gestures.clear();
    ASSERT_EQ(records::openUnit(12, {.file = "USER", .title = "Beam"}), 0);
    ASSERT_EQ(registerZoomCallbacks(12, {wheel, rectangle, home, back}), 0);
    focusWindow(12);
    ASSERT_TRUE(testing::processEventsUntil(
        [] { return layer().frame->mdiArea()->activeSubWindow() == findUnitWindow(12).frame; }));
  }
  void TearDown() override {
    records::closeUnit(12);
    destroyLayerWindows();
  }
  static ChildWindow* child() { return findUnitWindow(12).child; }
  static void turn(int eighths, QPointF at = {200, 100}) {
    QWheelEvent event(at, child()->mapToGlobal(at), QPoint(), QPoint(0, eighths), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(child(), &event);
  }
  static void mouse(QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent event(type, at, child()->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(child(), &event);
  }
};

// The wheel, the right-button rectangle and Home with real input are the zoom script's; a fine
// wheel's half notches are not something it can turn.
TEST_F(ZoomGestures, HalfNotchesOfAFineWheelAddUpToOne) {
  turn(60);
  EXPECT_TRUE(gestures.empty());
  turn(60, {50, 60});
  EXPECT_EQ(gestures, std::vector<std::string>{"wheel 12 50,60 1"});
}

TEST_F(ZoomGestures, NothingZoomsWhilePausedAndALeftDragIsNoRectangle) {
  mouse(QEvent::MouseButtonPress, {100, 40}, Qt::LeftButton, Qt::LeftButton);
  mouse(QEvent::MouseButtonRelease, {300, 120}, Qt::LeftButton, Qt::NoButton);
  layer().runState.store(kPaused);
  turn(120);
  QKeyEvent homeKey(QEvent::KeyPress, Qt::Key_Home, Qt::NoModifier);
  QApplication::sendEvent(child(), &homeKey);
  mouse(QEvent::MouseButtonPress, {100, 40}, Qt::RightButton, Qt::RightButton);
  mouse(QEvent::MouseButtonRelease, {300, 120}, Qt::RightButton, Qt::NoButton);
  layer().runState.store(kRunning);
  EXPECT_TRUE(gestures.empty());
}

// Plus, Minus, Backspace and Alt+Left with real keys are the zoom script's; the point they zoom
// about and Ctrl+Plus, which is no zoom, are seen here.
TEST_F(ZoomGestures, KeysZoomAboutTheMiddleWhenThePointerIsElsewhereButNotWithCtrl) {
  QCursor::setPos(child()->mapToGlobal(child()->rect().bottomRight() + QPoint(50, 50)));
  for (Qt::KeyboardModifiers modifiers : {Qt::ControlModifier, Qt::ShiftModifier}) {
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Plus, modifiers);
    QApplication::sendEvent(child(), &key);
  }
  const QPoint mid = child()->rect().center();
  EXPECT_EQ(gestures, std::vector<std::string>{"wheel 12" + point(mid.x(), mid.y()) + " 1"});
}

void noteMove(std::int32_t*, std::int32_t*, std::int32_t*, std::int32_t*, std::int32_t*) {}

TEST_F(ZoomGestures, TheReadOutHasItsOwnFieldBesideTheNoteAndGoesWithThePointer) {
  auto shown = [](const QString& text) {
    const QList<QLabel*> labels = layer().frame->statusBar()->findChildren<QLabel*>();
    return std::any_of(labels.begin(), labels.end(), [&](const QLabel* l) { return l->text() == text; });
  };
  setStatusNote("POT.DAT damaged");
  setStatusReadout("z = 12.34 mm   r = 1.230 mm");
  EXPECT_TRUE(shown("POT.DAT damaged"));
  EXPECT_TRUE(shown("z = 12.34 mm   r = 1.230 mm"));
  registerMouseCallback(12, kMouseMove, noteMove);
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(child(), &leave);
  EXPECT_FALSE(shown("z = 12.34 mm   r = 1.230 mm"));
  EXPECT_TRUE(shown("POT.DAT damaged"));
  for (const QLabel* field : layer().frame->statusBar()->findChildren<QLabel*>())
    EXPECT_FALSE(field->toolTip().isEmpty()) << field->text().toStdString();
}

}  // namespace
}  // namespace kelm::window
