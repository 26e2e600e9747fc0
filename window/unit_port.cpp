#include "window/unit_port.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "records/window_port.h"
#include "window/child_window.h"
#include "window/frame_window.h"
#include "window/output_log.h"
#include "window/gui_thread.h"
#include "window/kept_sub_window.h"
#include "window/layer.h"
#include "window/modal_frame.h"
#include "window/output_window.h"

namespace kelm::window {

namespace {

// The backing image covers the whole screen, so a window can grow without losing its picture.
QSize imageSizeForScreen() {
  QSize size(1280, 1024);
  if (QScreen* screen = QGuiApplication::primaryScreen()) size = size.expandedTo(screen->size());
  return size;
}

class UnitPort final : public records::WindowPort {
 public:
  bool openWindow(int unit, std::string_view title) override {
    const QString caption = QString::fromLatin1(title.data(), static_cast<qsizetype>(title.size()));
    bool made = false;
    runOnGui([&] {
      Layer& l = layer();
      if (l.frame == nullptr) return;
      auto* child = new ChildWindow(unit, imageSizeForScreen());
      auto* sub = new KeptSubWindow(child);
      l.frame->mdiArea()->addSubWindow(sub);
      sub->setWindowTitle(caption);
      sub->resize(400, 300);
      sub->show();
      std::lock_guard guard(l.lock);
      l.windows[unit] = UnitWindow{sub, child};
      made = true;
    });
    return made;
  }

  void closeWindow(int unit) override {
    forgetActiveWindow(unit);
    runOnGui([&] {
      forgetActiveWindow(unit);
      Layer& l = layer();
      QPointer<QMdiSubWindow> sub;
      {
        std::lock_guard guard(l.lock);
        auto found = l.windows.find(unit);
        if (found == l.windows.end()) return;
        sub = found->second.frame;
        l.windows.erase(found);
      }
      if (sub) {
        l.frame->mdiArea()->removeSubWindow(sub);
        delete sub;
      }
    });
  }

  void writeRecord(int unit, std::string_view record) override {
    if (unit == 0) return appendOutputRecord(record);
    const QString text = QString::fromLatin1(record.data(), static_cast<qsizetype>(record.size()));
    postToGui([unit, text] {
      if (ChildWindow* child = findUnitWindow(unit).child) child->appendRecord(text);
    });
  }

  void logNote(std::string_view note) override { outputLog().write(" (" + std::string(note) + ")"); }

  [[noreturn]] void runtimeError(int, std::string_view message) override {
    const QString text = QString::fromLatin1(message.data(), static_cast<qsizetype>(message.size()));
    appendOutputRecord(message);
    runOnGui([&] {
      showBox(layer().frame, QMessageBox::Critical, QString(kBoxCaption) + " run-time error", text);
    });
    std::fflush(nullptr);
    std::_Exit(EXIT_FAILURE);
  }
};

UnitPort port;

}  // namespace

void registerUnitPort() { records::setWindowPort(&port); }
void unregisterUnitPort() { records::setWindowPort(nullptr); }

}  // namespace kelm::window
