#pragma once
// What loading a project reported: the readers' "File ... loaded/not found/damaged" lines go to
// standard error from their outcomes, with where a damaged file went wrong, one per file even
// where the reader's own line is silent (a broken mag.dat).

#include <array>
#include <string_view>

#include "records/window_port.h"
#include "source/klplot/project/load_status.h"

namespace kelm::exporting {

class LoadReport final : public records::WindowPort {
 public:
  LoadReport();  // registered as the record layer's port for its lifetime
  ~LoadReport() override;
  LoadReport(const LoadReport&) = delete;
  LoadReport& operator=(const LoadReport&) = delete;

  bool openWindow(int, std::string_view) override { return true; }
  void closeWindow(int) override {}
  // The readers' lines, which the outcomes tell better.
  void writeRecord(int, std::string_view) override {}
  [[noreturn]] void runtimeError(int number, std::string_view message) override;

  // Writes each file's line and gives back each file's status.
  std::array<klplot::FileStatus, klplot::kProjectFiles.size()> finish(const klplot::ProjectLoad& load);
};

}  // namespace kelm::exporting
