#pragma once
// What loading a project reported: its "File ... loaded/not found/damaged" lines go to standard
// error as they come, and each file's status is kept for the summary.

#include <array>
#include <string_view>

#include "records/window_port.h"
#include "source/export/figure_tables.h"

namespace kelm::exporting {

class LoadReport final : public records::WindowPort {
 public:
  LoadReport();  // registered as the record layer's port for its lifetime
  ~LoadReport() override;
  LoadReport(const LoadReport&) = delete;
  LoadReport& operator=(const LoadReport&) = delete;

  bool openWindow(int, std::string_view) override { return true; }
  void closeWindow(int) override {}
  void writeRecord(int unit, std::string_view record) override;
  [[noreturn]] void runtimeError(int number, std::string_view message) override;

  // A file that reported nothing was read and found wanting: mag.dat fails without a line.
  // Its line is added to standard error in its place, so every file is accounted for.
  std::array<FileStatus, 4> finish();

 private:
  void reportSilentFailure(std::size_t file);

  std::array<bool, 4> reported_{};
  std::array<FileStatus, 4> status_{};
};

}  // namespace kelm::exporting
