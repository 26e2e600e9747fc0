#include "window/gui_thread.h"

#include "runtime/fp_traps.h"

#include <QCoreApplication>
#include <QThread>

namespace kelm::window {

bool onGuiThread() {
  QCoreApplication* app = QCoreApplication::instance();
  return app && QThread::currentThread() == app->thread();
}

bool runOnGui(const std::function<void()>& task) {
  FloatingPointTrapsSuspended guard;
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) return false;
  if (QThread::currentThread() == app->thread()) {
    task();
    return true;
  }
  // A modal dialog's nested loop still delivers queued calls, so this cannot deadlock on it.
  QMetaObject::invokeMethod(app, [&task] { task(); }, Qt::BlockingQueuedConnection);
  return true;
}

void postToGui(std::function<void()> task) {
  FloatingPointTrapsSuspended guard;
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) return;
  QMetaObject::invokeMethod(app, std::move(task), Qt::QueuedConnection);
}

}  // namespace kelm::window
