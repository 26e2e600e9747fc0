#include "records/window_port.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace kelm::records {

namespace {

// Without a window layer (tools, tests) records go to standard output.
class ConsolePort final : public WindowPort {
 public:
  bool openWindow(int, std::string_view) override { return true; }
  void closeWindow(int) override {}
  void writeRecord(int, std::string_view record) override {
    std::fwrite(record.data(), 1, record.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
  }
  [[noreturn]] void runtimeError(int, std::string_view message) override {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(message.size()), message.data());
    std::exit(EXIT_FAILURE);
  }
};

ConsolePort consolePort;
std::atomic<WindowPort*> registeredPort{nullptr};

}  // namespace

void setWindowPort(WindowPort* port) { registeredPort.store(port); }

WindowPort& windowPort() {
  WindowPort* port = registeredPort.load();
  return port != nullptr ? *port : consolePort;
}

}  // namespace kelm::records
