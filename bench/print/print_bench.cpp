// Each printed page of the full example project written to a PDF by its menu command, as
// KELM_PRINT_TO has a script do it: the whole command, from the printer's set-up to the
// finished file, and the file's size.
#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "records/silent_port.h"
#include "source/program/menus/print_commands.h"
#include "source/klplot/pages/view_table.h"
#include "source/klplot/project/project_data.h"
#include "source/klplot/project/project_readers.h"
#include "source/klplot/views/cathode_view.h"

namespace kelm {
namespace {

namespace fs = std::filesystem;

void BM_Print(benchmark::State& state, const klplot::ViewRow* view) {
  const Command command = printCommandOf(*view);
  const fs::path pdf = fs::temp_directory_path() / (std::string("kelm-bench-") + view->pictureName + ".pdf");
  ::setenv("KELM_PRINT_TO", pdf.c_str(), 1);
  std::int32_t menuState = 0;
  for (auto _ : state) command(&menuState);
  state.counters["pdf_kB"] = double(fs::file_size(pdf)) / 1024.0;
  fs::remove(pdf);
}

}  // namespace
}  // namespace kelm

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  static kelm::records::SilentPort port;
  kelm::records::setWindowPort(&port);
  std::filesystem::current_path(std::filesystem::path(KELM_EXAMPLES_DIR) / "full");
  kelm::klplot::loadProjectFiles(kelm::klplot::projectData);
  kelm::klplot::ProjectData& d = kelm::klplot::projectData;
  d.phaseZ.store(float((d.zAxisMin + d.zAxisMax) * 0.5));
  for (const kelm::klplot::ViewRow* view : kelm::klplot::printedViewRows())
    benchmark::RegisterBenchmark((std::string("BM_Print/") + view->pictureName).c_str(), kelm::BM_Print, view)
        ->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
