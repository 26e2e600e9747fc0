#include "window/command_progress.h"

#include <QMdiSubWindow>
#include <QProgressBar>
#include <QScrollBar>
#include <QStatusBar>

#include <algorithm>

#include "window/frame.h"
#include "window/frame_window.h"
#include "window/gui_thread.h"
#include "window/layer.h"

namespace kelm::window {
namespace {

// Made at the first use, so that the frame's described status bar is as it was without a command.
QProgressBar* progressBar() {
  FrameWindow* frame = layer().frame;
  if (frame == nullptr) return nullptr;
  auto* bar = frame->statusBar()->findChild<QProgressBar*>("commandProgress");
  if (bar == nullptr) {
    bar = new QProgressBar(frame->statusBar());
    bar->setObjectName("commandProgress");
    bar->setMaximumWidth(220);
    frame->statusBar()->addPermanentWidget(bar);
  }
  return bar;
}

}  // namespace

void showStatusProgress(int step, int most, std::string_view label) {
  const QString text = QString::fromLatin1(label.data(), static_cast<qsizetype>(label.size()));
  runOnGui([&] {
    if (QProgressBar* bar = progressBar()) {
      bar->setRange(0, std::max(most, 0));
      bar->setValue(std::clamp(step, 0, std::max(most, 0)));
      bar->setFormat(text);
      bar->setToolTip(text);
      bar->show();
    }
  });
}

void hideStatusProgress() {
  runOnGui([] {
    if (QProgressBar* bar = progressBar()) bar->hide();
  });
}

void bringOutputIntoSight() {
  runOnGui([] {
    Layer& l = layer();
    const UnitWindow output = findUnitWindow(kOutputUnit);
    if (output.frame == nullptr || l.output == nullptr) return;
    output.frame->showNormal();
    output.frame->raise();
    l.frame->mdiArea()->setActiveSubWindow(output.frame);
    if (QScrollBar* bar = l.output->verticalScrollBar()) bar->setValue(bar->maximum());
  });
}

}  // namespace kelm::window
