#include "window/close_guard.h"

#include <QMessageBox>
#include <QTimer>

#include "window/close_guard_internal.h"
#include "window/frame_window.h"
#include "window/gui_thread.h"
#include "window/layer.h"

namespace kelm::window {
namespace {

RunningCommand guarded;
bool stopping = false;

// Polled like the program's own flags; the command stops between two of its steps.
void closeOnceStopped() {
  QTimer::singleShot(50, [] {
    if (guarded.running()) return closeOnceStopped();
    if (layer().frame != nullptr) layer().frame->close();
  });
}

}  // namespace

void guardFrameClose(const RunningCommand& command) {
  runOnGui([&] { guarded = command; });
}

bool closeWaitsForCommand() {
  if (guarded.running == nullptr || !guarded.running()) return false;
  if (stopping) return true;
  const auto answer = QMessageBox::question(layer().frame, QString::fromStdString(layer().programName),
                                            QString::fromUtf8(guarded.question));
  // The command may have ended while the question was up.
  if (answer != QMessageBox::Yes || !guarded.running()) return answer != QMessageBox::Yes;
  stopping = true;
  guarded.stop();
  closeOnceStopped();
  return true;
}

}  // namespace kelm::window
