#pragma once
// What one load said about each project file, gathered for the status bar while the records
// go on to the "Output" window unchanged.

#include <array>
#include <cstdlib>
#include <string>
#include <string_view>

#include "records/window_port.h"

namespace kelm::klplot {

class LoadStatusWatch final : public records::WindowPort {
 public:
  LoadStatusWatch();  // stands in front of the registered port for its lifetime
  ~LoadStatusWatch() override;
  LoadStatusWatch(const LoadStatusWatch&) = delete;
  LoadStatusWatch& operator=(const LoadStatusWatch&) = delete;

  bool openWindow(int unit, std::string_view title) override { return next_.openWindow(unit, title); }
  void closeWindow(int unit) override { next_.closeWindow(unit); }
  void writeRecord(int unit, std::string_view record) override;
  [[noreturn]] void runtimeError(int number, std::string_view message) override {
    next_.runtimeError(number, message);
    std::abort();  // not reached: the port ends the program
  }

  // "All project files loaded", or each file that was not, as "POT.DAT damaged"; a file that
  // said nothing (mag.dat fails silently) counts as damaged.
  std::string summary() const;

 private:
  records::WindowPort& next_;
  std::array<std::string, 4> outcomes_;
};

}  // namespace kelm::klplot
