#pragma once
// Waiting in a GUI test for what another thread hands to the GUI thread.

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include <chrono>

#include "window/frame_window.h"
#include "window/layer.h"

namespace kelm::testing {

// Serves the GUI thread's events until done() holds or the limit has passed; done()'s last word.
template <class Condition>
bool processEventsUntil(Condition done, std::chrono::seconds limit = std::chrono::seconds(20)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done() && std::chrono::steady_clock::now() < deadline) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return done();
}

// Calls show(), which brings up a modal window and waits for it to close; once a modal
// window of type Window is up, hands it to act, which should close it.
template <class Window, class Act, class Show>
void actOnModal(const Act& act, const Show& show) {
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* modal = qobject_cast<Window*>(QApplication::activeModalWidget());
    if (modal == nullptr) return;
    poll.stop();
    act(*modal);
  });
  poll.start(5);
  show();
}

// The text of the message box that show() brings up, which is then closed; empty when none came.
template <class Show>
QString messageBoxText(const Show& show) {
  QString text;
  actOnModal<QMessageBox>(
      [&](QMessageBox& box) {
        text = box.text();
        box.accept();
      },
      show);
  return text;
}

// The push button of a dialog that shows text; null when there is none.
inline QPushButton* buttonNamed(QWidget& dialog, const QString& text) {
  for (QPushButton* button : dialog.findChildren<QPushButton*>())
    if (button->text() == text) return button;
  return nullptr;
}

// The run state the frame's status bar shows ("Running", "Idle", ...).
inline QString statusText() {
  return window::layer().frame->statusBar()->findChildren<QLabel*>().first()->text();
}

}  // namespace kelm::testing
