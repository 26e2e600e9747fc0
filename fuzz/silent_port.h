#pragma once
// A window port that drops the readers' lines, which would otherwise flood the fuzzer's output.

#include <cstdlib>
#include <string_view>

#include "records/window_port.h"

namespace kelm::fuzzing {

class SilentPort final : public records::WindowPort {
 public:
  bool openWindow(int, std::string_view) override { return true; }
  void closeWindow(int) override {}
  void writeRecord(int, std::string_view) override {}
  [[noreturn]] void runtimeError(int, std::string_view) override { std::abort(); }
};

}  // namespace kelm::fuzzing
