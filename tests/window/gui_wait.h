#pragma once
// Waiting in a GUI test for what another thread hands to the GUI thread.

#include <QCoreApplication>
#include <QLabel>
#include <QStatusBar>

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

// The run state the frame's status bar shows ("Running", "Idle", ...).
inline QString statusText() {
  return window::layer().frame->statusBar()->findChildren<QLabel*>().first()->text();
}

}  // namespace kelm::testing
