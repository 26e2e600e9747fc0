#pragma once
// A window port that keeps the records written to the "Output" window.

#include <string>
#include <string_view>
#include <vector>

#include "records/window_port.h"

namespace kelm::testing {

class RecordingPort : public records::WindowPort {
 public:
  RecordingPort() { records::setWindowPort(this); }
  ~RecordingPort() override { records::setWindowPort(nullptr); }

  bool openWindow(int, std::string_view) override { return true; }
  void closeWindow(int) override {}
  void writeRecord(int unit, std::string_view record) override {
    if (unit == 0) lines.emplace_back(record);
  }
  [[noreturn]] void runtimeError(int, std::string_view) override { std::abort(); }

  std::vector<std::string> lines;
};

}  // namespace kelm::testing
