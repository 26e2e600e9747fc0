#pragma once
// A window port that keeps what the record layer sends to the windows: the "Output" window's
// records as lines, and the other windows' apart.

#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "records/window_port.h"

namespace kelm::testing {

class RecordingPort : public records::WindowPort {
 public:
  RecordingPort() { records::setWindowPort(this); }
  ~RecordingPort() override { records::setWindowPort(nullptr); }

  bool openWindow(int unit, std::string_view) override {
    opened.push_back(unit);
    return true;
  }
  void closeWindow(int unit) override { closed.push_back(unit); }
  void writeRecord(int unit, std::string_view record) override {
    (unit == 0 ? lines : windowRecords).emplace_back(record);
  }
  [[noreturn]] void runtimeError(int, std::string_view) override { std::abort(); }
  void logNote(std::string_view note) override { notes.emplace_back(note); }

  std::vector<std::string> lines, windowRecords, notes;
  std::vector<int> opened, closed;
};

}  // namespace kelm::testing
