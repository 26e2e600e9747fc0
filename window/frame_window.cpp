#include "window/frame_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QStatusBar>
#include <QWindow>

#include "window/builtin_commands.h"
#include "window/child_window.h"
#include "window/close_guard_internal.h"
#include "window/copy_key.h"
#include "window/kept_sub_window.h"
#include "window/layer.h"
#include "window/output_window.h"
#include "window/unit_port.h"
#include "window/user_settings.h"

namespace kelm::window {

FrameWindow::FrameWindow()
    : mdi_(new QMdiArea(this)),
      status_(new QLabel(this)),
      note_(new QLabel(this)),
      readout_(new QLabel(this)),
      menuView_(*menuBar(), [this](int id) { runCommand(id); }) {
  setCentralWidget(mdi_);
  statusBar()->addWidget(status_, 1);
  statusBar()->addPermanentWidget(note_);
  statusBar()->addPermanentWidget(readout_);
  status_->setToolTip("What the program is doing: running, paused or finished");
  note_->setToolTip("The project's files: which were loaded and what is wrong with them");
  readout_->setToolTip("z and r (or B) under the pointer in the Beam or Magnetic field view");
  setWindowTitle(QString::fromStdString(layer().programName));
  resize(1024, 768);
  winId();  // the native window exists from here on, so presses can be watched on it
  windowHandle()->installEventFilter(this);
}

void FrameWindow::renderMenus() { menuView_.show(layer().menus.entries()); }

void FrameWindow::showRunState() {
  std::lock_guard guard(layer().lock);
  status_->setText(QString::fromStdString(layer().stateMessages[static_cast<std::size_t>(layer().runState.load())]));
}

void FrameWindow::runCommand(int id) {
  if (id >= 1000 && id <= 1025) return runBuiltinCommand(id);
  if (layer().runState.load() == kPaused) return;
  MenuCallback callback = layer().menus.callbackFor(id);
  if (callback == nullptr) return;
  std::int32_t state = layer().menus.flagsOf(id);
  callback(&state);
}

bool FrameWindow::eventFilter(QObject* watched, QEvent* event) {
  // Qt activates the sub-window under a press by moving the focus before the press reaches
  // the child, so whether the child was active is noted here, on the native window, first.
  if (watched == static_cast<QObject*>(windowHandle()) && event->type() == QEvent::MouseButtonPress) {
    const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
    if (auto* child = dynamic_cast<ChildWindow*>(childAt(at))) child->notePressArriving();
  }
  return QMainWindow::eventFilter(watched, event);
}

void FrameWindow::closeEvent(QCloseEvent* event) {
  if (closeWaitsForCommand()) return event->ignore();
  saveFrameLayout();
  event->accept();
  QApplication::quit();
}

void createLayerWindows() {
  Layer& l = layer();
  l.frame = new FrameWindow();
  l.output = new OutputWindow();
  copySelectionOnCopyKey(*l.output);
  auto* sub = new KeptSubWindow(l.output);
  l.frame->mdiArea()->addSubWindow(sub);
  sub->setWindowTitle("Output");
  sub->resize(640, 400);
  sub->show();
  {
    std::lock_guard guard(l.lock);
    l.windows[0] = UnitWindow{sub, nullptr};
  }
  l.frame->renderMenus();
  l.frame->showRunState();
  registerUnitPort();
}

void destroyLayerWindows() {
  Layer& l = layer();
  unregisterUnitPort();
  {
    std::lock_guard guard(l.lock);
    l.windows.clear();
  }
  delete l.frame;
  l.frame = nullptr;
  l.output = nullptr;
  l.menus = MenuBarModel();
  l.runState = kRunning;
}

}  // namespace kelm::window
