#include "window/child_window.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QPainter>
#include <QResizeEvent>

#include "window/frame_window.h"
#include "window/gui_thread.h"
#include "window/layer.h"

namespace kelm::window {

ChildWindow::ChildWindow(int unit, QSize imageSize) : unit_(unit) {
  surface_.image = QImage(imageSize, QImage::Format_RGB32);
  surface_.image.fill(Qt::white);
  setMouseTracking(true);
  // A click gives the window the keyboard, for the arrow keys.
  setFocusPolicy(Qt::ClickFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Drawing threads only flag the window; one queued repaint serves any number of operations.
  surface_.changed = [this] {
    if (!repaintPending_.exchange(true)) {
      postToGui(this, [this] {
        repaintPending_ = false;
        update();
      });
    }
  };
}

QSize ChildWindow::sizeHint() const {
  std::lock_guard guard(surface_.lock);
  return surface_.image.size();
}

void ChildWindow::watchResizes(ResizeCallback callback) {
  resizeCallback_ = callback;
  reportedSize_ = size();
}

void ChildWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // A minimised window's size is not one to draw for; it comes back as it was.
  if (resizeCallback_ == nullptr || size() == reportedSize_ || size().isEmpty() || !isVisible()) return;
  reportedSize_ = size();
  resizeCallback_(unit_, width(), height());
}

void ChildWindow::appendRecord(const QString& record) {
  records_.push_back(record);
  update();
}

void ChildWindow::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.fillRect(event->rect(), Qt::white);
  {
    std::lock_guard guard(surface_.lock);
    painter.drawImage(event->rect().topLeft(), surface_.image, event->rect());
  }
  if (records_.empty()) return;
  painter.setFont(QFont("Monospace"));
  const int lineHeight = painter.fontMetrics().height();
  int y = painter.fontMetrics().ascent();
  for (const QString& record : records_) {
    painter.drawText(0, y, record);
    y += lineHeight;
  }
}

bool ChildWindow::isActiveChild() const {
  const UnitWindow entry = findUnitWindow(unit_);
  return entry.frame && entry.frame->mdiArea() &&
         entry.frame->mdiArea()->activeSubWindow() == entry.frame;
}

void ChildWindow::notePressArriving() { pressFindsInactive_ = !isActiveChild(); }

void ChildWindow::deliver(QMouseEvent* event, std::int32_t bits) {
  const bool pressing = (bits & (kLeftDown | kRightDown)) != 0;
  const bool activating = pressing && (pressFindsInactive_ || !isActiveChild());
  if (pressing) pressFindsInactive_ = false;
  if (activating) {
    // The first click into an inactive window only activates it, release included.
    if (const UnitWindow entry = findUnitWindow(unit_); entry.frame) {
      entry.frame->mdiArea()->setActiveSubWindow(entry.frame);
    }
    swallowRelease_ = true;
    return;
  }
  if ((bits & (kLeftUp | kRightUp)) != 0 && swallowRelease_) {
    swallowRelease_ = false;
    return;
  }
  if (layer().runState.load() == kPaused) return;
  std::int32_t keyState = static_cast<std::int32_t>(event->buttons()) |
                          (static_cast<std::int32_t>(event->modifiers()) >> 20);
  std::int32_t x = static_cast<std::int32_t>(event->position().x());
  std::int32_t y = static_cast<std::int32_t>(event->position().y());
  for (int slot = 0; slot < 7; ++slot) {
    std::int32_t bit = 1 << slot;
    if ((bits & bit) == 0 || mouseCallbacks[static_cast<std::size_t>(slot)] == nullptr) continue;
    setActiveWindow(unit_);
    std::int32_t unit = unit_;
    mouseCallbacks[static_cast<std::size_t>(slot)](&unit, &bit, &keyState, &x, &y);
  }
}

bool ChildWindow::zoomGestureAllowed() const {
  return isActiveChild() && layer().runState.load() != kPaused;
}

void ChildWindow::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton && zoomCallbacks.rectangle != nullptr &&
      !pressFindsInactive_ && zoomGestureAllowed()) {
    if (rubberBand_ == nullptr) rubberBand_ = new QRubberBand(QRubberBand::Rectangle, this);
    rubberOrigin_ = event->position().toPoint();
    rubberBand_->setGeometry(QRect(rubberOrigin_, QSize()));
    rubberBand_->show();
  }
  if (event->button() == Qt::LeftButton) deliver(event, kLeftDown);
  else if (event->button() == Qt::RightButton) deliver(event, kRightDown);
}

void ChildWindow::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton && rubberBand_ != nullptr && rubberBand_->isVisible()) {
    rubberBand_->hide();
    const QPoint end = event->position().toPoint();
    if (zoomCallbacks.rectangle != nullptr && layer().runState.load() != kPaused) {
      setActiveWindow(unit_);
      zoomCallbacks.rectangle(unit_, rubberOrigin_.x(), rubberOrigin_.y(), end.x(), end.y());
    }
  }
  if (event->button() == Qt::LeftButton) deliver(event, kLeftUp);
  else if (event->button() == Qt::RightButton) deliver(event, kRightUp);
}

void ChildWindow::leaveEvent(QEvent* event) {
  // The read-out speaks of what lies under the pointer: nothing, once it has left a view.
  if (mouseCallbacks[6] != nullptr && layer().frame != nullptr) layer().frame->showReadout({});
  QWidget::leaveEvent(event);
}

void ChildWindow::wheelEvent(QWheelEvent* event) {
  if (zoomCallbacks.wheel == nullptr || !zoomGestureAllowed()) {
    QWidget::wheelEvent(event);
    return;
  }
  event->accept();
  // 120 eighths of a degree make one notch of a common wheel; finer wheels add up to one.
  wheelEighths_ += event->angleDelta().y();
  const int notches = wheelEighths_ / 120;
  if (notches == 0) return;
  wheelEighths_ -= notches * 120;
  setActiveWindow(unit_);
  const QPoint at = event->position().toPoint();
  zoomCallbacks.wheel(unit_, at.x(), at.y(), notches);
}

void ChildWindow::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) deliver(event, kLeftDoubleClick);
  else if (event->button() == Qt::RightButton) deliver(event, kRightDoubleClick);
}

void ChildWindow::mouseMoveEvent(QMouseEvent* event) {
  if (rubberBand_ != nullptr && rubberBand_->isVisible())
    rubberBand_->setGeometry(QRect(rubberOrigin_, event->position().toPoint()).normalized());
  deliver(event, kMouseMove);
}

bool ChildWindow::zoomKey(QKeyEvent* event) {
  const int key = event->key();
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  const bool plain = modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier;
  const int notches = !plain ? 0 : key == Qt::Key_Plus || key == Qt::Key_Equal ? 1 : key == Qt::Key_Minus ? -1 : 0;
  const bool home = key == Qt::Key_Home && modifiers == Qt::NoModifier;
  const bool back = (key == Qt::Key_Backspace && modifiers == Qt::NoModifier) ||
                    (key == Qt::Key_Left && modifiers == Qt::AltModifier);
  if ((notches == 0 || zoomCallbacks.wheel == nullptr) && (!home || zoomCallbacks.home == nullptr) &&
      (!back || zoomCallbacks.back == nullptr))
    return false;
  event->accept();
  if (layer().runState.load() == kPaused) return true;
  setActiveWindow(unit_);
  if (home) zoomCallbacks.home(unit_);
  else if (back) zoomCallbacks.back(unit_);
  else {
    // About the pointer when it is over the window, as the wheel; about the middle otherwise.
    const QPoint pointer = mapFromGlobal(QCursor::pos());
    const QPoint at = rect().contains(pointer) ? pointer : rect().center();
    zoomCallbacks.wheel(unit_, at.x(), at.y(), notches);
  }
  return true;
}

void ChildWindow::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (zoomKey(event)) return;
  if ((key != Qt::Key_Left && key != Qt::Key_Right) || arrowKeyCallback == nullptr ||
      (event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) != 0) {
    QWidget::keyPressEvent(event);
    return;
  }
  event->accept();
  if (layer().runState.load() == kPaused) return;
  const std::int32_t step = (key == Qt::Key_Left ? -1 : 1) * ((event->modifiers() & Qt::ShiftModifier) ? 10 : 1);
  setActiveWindow(unit_);
  arrowKeyCallback(unit_, step);
}

}  // namespace kelm::window
