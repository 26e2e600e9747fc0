#pragma once
// A view window bound to a unit: its off-screen image painted as it is, and its mouse events
// passed to the program's callbacks. Internal to window/.

#include <QRubberBand>
#include <QWidget>

#include <array>
#include <atomic>
#include <vector>

#include "window/frame.h"
#include "window/surface.h"

namespace kelm::window {

class ChildWindow : public QWidget {
 public:
  ChildWindow(int unit, QSize imageSize);

  int unit() const { return unit_; }
  Surface& surface() { return surface_; }
  // Text records written to the unit, shown over the graphics from the top.
  void appendRecord(const QString& record);
  // A press is on its way to this window; called before Qt's focus handling may activate it.
  void notePressArriving();
  // The surface's size: arranging windows (Cascade) sizes them by their hints.
  QSize sizeHint() const override;
  // Sizes from now on that differ from the present one go to callback.
  void watchResizes(ResizeCallback callback);

  // Callbacks by event bit (bit 1 in slot 0 ... bit 64 in slot 6).
  std::array<MouseCallback, 7> mouseCallbacks{};
  ArrowKeyCallback arrowKeyCallback = nullptr;
  ZoomCallbacks zoomCallbacks;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void deliver(QMouseEvent* event, std::int32_t bits);
  bool isActiveChild() const;
  bool zoomGestureAllowed() const;
  // +, -, Home, Backspace and Alt+Left; false for any other key.
  bool zoomKey(QKeyEvent* event);

  int unit_;
  Surface surface_;
  std::atomic<bool> repaintPending_{false};
  std::vector<QString> records_;
  bool swallowRelease_ = false;
  bool pressFindsInactive_ = false;
  QRubberBand* rubberBand_ = nullptr;
  QPoint rubberOrigin_;
  int wheelEighths_ = 0;  // a fine wheel's turn, kept until it makes a notch
  ResizeCallback resizeCallback_ = nullptr;
  QSize reportedSize_;
};

}  // namespace kelm::window
