// Reading the largest project files and editing plot labels.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <string>

#include "records/formatted.h"
#include "records/unformatted.h"
#include "records/units.h"

namespace kelm::records {
namespace {

constexpr int kPointLines = 20000;

const std::string& pointFile() {
  static const std::string name = [] {
    std::string path = "/tmp/kelm-bench-geom.dat";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    for (int n = 1; n <= kPointLines; ++n) {
      std::fprintf(file, "%5d%5d%5d     %10.5f%10.5f\r\n", n, n % 7, 3, n * 0.001, n * 0.002);
    }
    std::fclose(file);
    return path;
  }();
  return name;
}

// Each iteration opens the unit, reads its records one by one and closes it.
template <class ReadRecord>
void readRecords(benchmark::State& state, int unit, const OpenOptions& open, int records, int recordBytes,
                 ReadRecord readRecord) {
  for (auto _ : state) {
    if (openUnit(unit, open) != 0) {
      state.SkipWithError("cannot open");
      return;
    }
    for (int n = 0; n < records; ++n) {
      if (!readRecord()) break;
    }
    closeUnit(unit);
  }
  state.SetItemsProcessed(state.iterations() * records);
  state.SetBytesProcessed(state.iterations() * records * recordBytes);
}

void BM_ReadGeometryPointLines(benchmark::State& state) {
  std::int32_t i, j, k;
  float r, z;
  readRecords(state, 20, {.file = pointFile(), .status = "OLD", .action = "read"}, kPointLines, 42, [&] {
    if (read(20, "(3I5,5X,2F10.5)", i, j, k, r, z) != 0) return false;
    benchmark::DoNotOptimize(z);
    return true;
  });
}
BENCHMARK(BM_ReadGeometryPointLines)->Unit(benchmark::kMillisecond);

void BM_ReadTrajectoryRecords(benchmark::State& state) {
  // 1000 trajectories of 300 points: the largest result file.
  const std::string path = "/tmp/kelm-bench-klplt.res";
  constexpr int kRecords = 300000;
  if (openUnit(21, {.file = path, .status = "REPLACE", .form = "unformatted"}) == 0) {
    const std::int32_t index = 1;
    const double values[4] = {1.0, 2.0, 3.0, 4.0};
    for (int n = 0; n < kRecords; ++n) {
      (void)writeUnformatted(21, index, values[0], values[1], values[2], values[3]);
    }
    closeUnit(21);
  }
  std::int32_t index;
  double a, b, c, d;
  readRecords(state, 21, {.file = path, .status = "OLD", .form = "unformatted", .action = "read"}, kRecords, 38,
              [&] {
                if (readUnformatted(21, index, a, b, c, d) != 0) return false;
                benchmark::DoNotOptimize(d);
                return true;
              });
}
BENCHMARK(BM_ReadTrajectoryRecords)->Unit(benchmark::kMillisecond);

void BM_EditTickLabel(benchmark::State& state) {
  std::array<char, 8> label{};
  float value = 0.0f;
  for (auto _ : state) {
    (void)writeInternal(label, "(F8.3)", value);
    value += 0.125f;
    benchmark::DoNotOptimize(label);
  }
}
BENCHMARK(BM_EditTickLabel);

}  // namespace
}  // namespace kelm::records
