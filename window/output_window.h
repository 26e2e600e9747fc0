#pragma once
// The "Output" window of unit 0 and the default unit: read-only monospaced text that scrolls.
// Internal to window/.

#include <QPlainTextEdit>

namespace kelm::window {

class OutputWindow : public QPlainTextEdit {
 public:
  OutputWindow();
  // Message thread only; records from other threads arrive through appendOutputRecord.
  void appendRecord(const QString& record);
};

// Queues the record for the "Output" window in order, and copies it to the log at once.
void appendOutputRecord(std::string_view record);

}  // namespace kelm::window
