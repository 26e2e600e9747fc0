#pragma once
// A sub-window of the frame that the user can close but never destroy: its close button only
// hides it. The layer and the program keep using the windows of open units, so only the layer
// itself may delete one. Internal to window/.

#include <QMdiSubWindow>

class QMdiArea;

namespace kelm::window {

class KeptSubWindow : public QMdiSubWindow {
 public:
  explicit KeptSubWindow(QWidget* content);

 protected:
  void closeEvent(QCloseEvent* event) override;
};

// Brings back the sub-windows the user closed (Window > Cascade and Tile), as they were.
void showClosedSubWindows(QMdiArea& area);

}  // namespace kelm::window
