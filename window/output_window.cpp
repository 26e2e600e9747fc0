#include "window/output_window.h"

#include <QFontDatabase>
#include <QScrollBar>

#include "window/gui_thread.h"
#include "window/layer.h"
#include "window/output_log.h"

namespace kelm::window {

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
