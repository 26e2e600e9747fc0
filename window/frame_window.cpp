#include "window/frame_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>

#include "window/builtin_commands.h"
#include "window/kept_sub_window.h"
#include "window/layer.h"
#include "window/output_window.h"
#include "window/unit_port.h"

namespace kelm::window {

FrameWindow::FrameWindow() : mdi_(new QMdiArea(this)), status_(new QLabel(this)) {
  setCentralWidget(mdi_);
  statusBar()->addWidget(status_, 1);
  setWindowTitle(QString::fromStdString(layer().programName));
  resize(1024, 768);
}

void FrameWindow::renderMenus() {
  // Menus of the old bar may still be inside the very signal that asked for this redraw.
  if (menuOwner_) menuOwner_->deleteLater();
  menuBar()->clear();
  auto* owner = new QObject(this);
  menuOwner_ = owner;
  auto addAction = [this, owner](QWidget* into, const std::string& text, int id, int flags) {
    auto* action = new QAction(QString::fromStdString(text), owner);
    action->setEnabled((flags & (kGrayed | kDisabled)) == 0);
    if ((flags & kChecked) != 0) {
      action->setCheckable(true);
      action->setChecked(true);
    }
    connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
    into->addAction(action);
  };
  for (const MenuEntry& entry : layer().menus.entries()) {
    if (!entry.dropDown) {
      addAction(menuBar(), entry.text, entry.id, entry.flags);
      continue;
    }
    auto* menu = new QMenu(QString::fromStdString(entry.text), menuBar());
    menu->setParent(menuBar());
    connect(owner, &QObject::destroyed, menu, &QObject::deleteLater);
    menu->setEnabled((entry.flags & (kGrayed | kDisabled)) == 0);
    for (const MenuItem& item : entry.items) {
      // Qt menus have no column break: a separator marks where the next column would start.
      if (item.startsColumn) menu->addSeparator();
      if ((item.flags & kSeparator) != 0) {
        menu->addSeparator();
        continue;
      }
      addAction(menu, item.text, item.id, item.flags);
    }
    menuBar()->addMenu(menu);
  }
}

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

void FrameWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  QApplication::quit();
}

void createLayerWindows() {
  Layer& l = layer();
  l.frame = new FrameWindow();
  l.output = new OutputWindow();
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
