// Reading the full example project into the store, the extents derived from it and the
// axial field looked up along the beam.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "records/silent_port.h"
#include "source/klplot/project/project_data.h"
#include "source/klplot/project/project_readers.h"

namespace kelm::klplot {
namespace {

const std::filesystem::path kFull = std::filesystem::path(KELM_EXAMPLES_DIR) / "full";

void BM_ReadFullProject(benchmark::State& state) {
  std::filesystem::current_path(kFull);
  std::uintmax_t bytes = 0;
  for (const char* name : {"geom.dat", "mag.dat", "pot.dat", "klplt.res"}) bytes += std::filesystem::file_size(name);
  for (auto _ : state) loadProjectFiles(projectData);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_ReadFullProject)->Unit(benchmark::kMillisecond);

void BM_DeriveExtents(benchmark::State& state) {
  std::filesystem::current_path(kFull);
  loadProjectFiles(projectData);
  for (auto _ : state) deriveExtents(projectData);
  benchmark::DoNotOptimize(projectData.zAxisMax);
}
BENCHMARK(BM_DeriveExtents);

void BM_FieldAtThousandSamples(benchmark::State& state) {
  std::filesystem::current_path(kFull);
  loadProjectFiles(projectData);
  for (auto _ : state) {
    double sum = 0.0;
    for (int k = 0; k < 1000; ++k) sum += fieldAt(static_cast<float>(k * 0.06));
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_FieldAtThousandSamples);

}  // namespace
}  // namespace kelm::klplot

int main(int argc, char** argv) {
  static kelm::records::SilentPort port;
  kelm::records::setWindowPort(&port);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
