#pragma once
// A window port that drops the records: the readers' lines would otherwise go to the terminal
// between the figures.

#include <cstdlib>
#include <string_view>

#include "records/window_port.h"

namespace kelm::bench {

class QuietPort final : public records::WindowPort {
 public:
  bool openWindow(int, std::string_view) override { return true; }
  void closeWindow(int) override {}
  void writeRecord(int, std::string_view) override {}
  [[noreturn]] void runtimeError(int, std::string_view) override { std::abort(); }
};

}  // namespace kelm::bench
