#include "window/output_window.h"

#include <QFontDatabase>
#include <QScrollBar>

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "window/gui_thread.h"
#include "window/layer.h"

namespace kelm::window {

namespace {

// KELM_LOG names a file (or "-" for standard error) that receives every Output record as
// shown, so that scripts and tests can follow the program without reading pixels.
class OutputLog {
 public:
  OutputLog() {
    const char* target = std::getenv("KELM_LOG");
    if (target == nullptr || *target == '\0') return;
    file_ = std::string(target) == "-" ? stderr : std::fopen(target, "a");
  }
  void write(std::string_view record) {
    if (file_ == nullptr) return;
    std::lock_guard guard(lock_);
    std::fwrite(record.data(), 1, record.size(), file_);
    std::fputc('\n', file_);
    std::fflush(file_);
  }

 private:
  std::FILE* file_ = nullptr;
  std::mutex lock_;
};

OutputLog& outputLog() {
  static OutputLog log;
  return log;
}

}  // namespace

OutputWindow::OutputWindow() {
  setReadOnly(true);
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setMaximumBlockCount(100000);
}

void OutputWindow::appendRecord(const QString& record) {
  appendPlainText(record);
  verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void appendOutputRecord(std::string_view record) {
  outputLog().write(record);
  const QString text = QString::fromLatin1(record.data(), static_cast<qsizetype>(record.size()));
  postToGui([text] {
    if (layer().output != nullptr) layer().output->appendRecord(text);
  });
}

}  // namespace kelm::window
