// Figures of the phase plane after a new plane position, for a store filled to capacity.
#include <benchmark/benchmark.h>

#include <memory>

#include "source/klplot/figures/beam_figures.h"
#include "source/klplot/figures/density_histogram.h"

namespace kelm::klplot {
namespace {

std::unique_ptr<ProjectData> fullStore() {
  auto data = std::make_unique<ProjectData>();
  data->trajCount = kMaxTrajectories;
  for (int i = 1; i <= kMaxTrajectories; ++i) {
    for (int p = 1; p <= kMaxTrajPoints; ++p) {
      data->trajZ(i, p) = 500.0 * (p - 1) / (kMaxTrajPoints - 1);
      data->trajR(i, p) = 0.01 * i * (1.0 + 0.001 * p);
    }
    data->trajNext(i) = kMaxTrajPoints + 1;
    data->trajCurrent(i) = 0.001;
  }
  return data;
}

void BM_PhasePlaneFigures(benchmark::State& state) {
  auto data = fullStore();
  auto crossings = std::make_unique<Crossings>();
  DensityHistogram histogram;
  float z = 0.0f;
  for (auto _ : state) {
    z = z < 490.0f ? z + 7.0f : 3.0f;  // a new plane each time, as the mouse moves it
    findCrossings(*data, z, *crossings);
    densityHistogram(crossings->count, crossings->radius, crossings->current, 0.01, 50,
                     OuterShares::kCountInEdgeBin, histogram);
    benchmark::DoNotOptimize(histogram.density(1));
  }
}
BENCHMARK(BM_PhasePlaneFigures)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kelm::klplot
