#include "window/gui_thread.h"

#include "runtime/fp_traps.h"

#include <QCoreApplication>
#include <QThread>

#include <condition_variable>
#include <mutex>

namespace kelm::window {

namespace {

// Qt hands queued calls over with its own locks, which a thread checker cannot see into; the
// handover below takes a lock of ours as well, so what the caller wrote before posting is
// ordered before the call, and the call before the caller goes on.
std::mutex& postingLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace

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
  std::mutex lock;
  std::condition_variable finished;
  bool done = false;
  std::unique_lock waiting(lock);
  // A modal dialog's nested loop still delivers queued calls, so this cannot deadlock on it.
  postToGui(app, [&] {
    std::lock_guard held(lock);  // taken once the caller waits
    task();
    done = true;
    finished.notify_one();
  });
  finished.wait(waiting, [&] { return done; });
  return true;
}

void postToGui(std::function<void()> task) { postToGui(QCoreApplication::instance(), std::move(task)); }

void postToGui(QObject* context, std::function<void()> task) {
  FloatingPointTrapsSuspended guard;
  if (!context) return;
  std::lock_guard posting(postingLock());
  QMetaObject::invokeMethod(
      context,
      [task = std::move(task)] {
        { std::lock_guard posted(postingLock()); }
        task();
      },
      Qt::QueuedConnection);
}

}  // namespace kelm::window
