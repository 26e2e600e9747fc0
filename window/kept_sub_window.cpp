#include "window/kept_sub_window.h"

#include <QCloseEvent>
#include <QMdiArea>

namespace kelm::window {

KeptSubWindow::KeptSubWindow(QWidget* content) {
  setAttribute(Qt::WA_DeleteOnClose, false);
  setWidget(content);
}

void KeptSubWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  hide();
  // The hidden window would otherwise stay the target of Copy, Print and Save.
  if (QMdiArea* area = mdiArea(); area != nullptr && area->activeSubWindow() == this) {
    area->activateNextSubWindow();
    if (area->activeSubWindow() == this) area->setActiveSubWindow(nullptr);
  }
}

void showClosedSubWindows(QMdiArea& area) {
  for (QMdiSubWindow* sub : area.subWindowList()) {
    if (sub->isHidden()) sub->show();
  }
}

}  // namespace kelm::window
