#pragma once
// A fresh project store holding hand-made trajectories, for the figure and page tests.

#include <memory>
#include <vector>

#include "source/klplot/project/project_data.h"

namespace kelm::klplot::testing {

struct Point {
  double z, r;
};

// The store is large; each test gets a fresh one on the heap.
inline std::unique_ptr<ProjectData> withTrajectories(const std::vector<std::vector<Point>>& paths,
                                                     const std::vector<double>& currents) {
  auto data = std::make_unique<ProjectData>();
  data->trajCount = int(paths.size());
  for (int i = 1; i <= data->trajCount; ++i) {
    const auto& path = paths[std::size_t(i - 1)];
    for (int p = 1; p <= int(path.size()); ++p) {
      data->trajZ(i, p) = path[std::size_t(p - 1)].z;
      data->trajR(i, p) = path[std::size_t(p - 1)].r;
    }
    data->trajNext(i) = int(path.size()) + 1;
    data->trajCurrent(i) = currents[std::size_t(i - 1)];
  }
  return data;
}

}  // namespace kelm::klplot::testing
