#include "source/klplot/figures/crossing_sweep.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace kelm::klplot {
namespace {

// At most this many (plane, trajectory) cells are held at once; more planes are swept in
// blocks, so memory stays bounded however many planes are asked for.
constexpr std::size_t kMaxCells = 8u << 20;

// segmentAt[(j - first) * n + i - 1]: the point k whose segment k - 1, k carries trajectory
// i's first crossing of plane j; 0 where it does not cross.
void walkTrajectories(const ProjectData& data, int n, std::span<const float> block,
                      std::vector<std::int16_t>& segmentAt) {
  const std::size_t planes = block.size();
  for (int i = 1; i <= n; ++i) {
    const int np = storedPoints(data, i);
    for (int k = 2; k <= np; ++k) {
      const float z1 = trajectoryZ(data, i, k - 1), z2 = trajectoryZ(data, i, k);
      const float low = std::min(z1, z2);
      // The planes that meet the segment are those from its lower end to its upper one; the
      // scan down from the lower end finds more only where a z is not a number, which meets
      // every plane. Either way the search stops at the first miss.
      const std::size_t start =
          std::size_t(std::lower_bound(block.begin(), block.end(), low) - block.begin());
      auto visit = [&](std::size_t j) {
        if (!segmentMeetsPlane(block[j], z1, z2)) return false;
        std::int16_t& cell = segmentAt[j * std::size_t(n) + std::size_t(i - 1)];
        if (cell == 0) cell = std::int16_t(k);
        return true;
      };
      for (std::size_t j = start; j > 0 && visit(j - 1); --j) {
      }
      for (std::size_t j = start; j < planes && visit(j); ++j) {
      }
    }
  }
}

}  // namespace

void sweepCrossings(const ProjectData& data, std::span<const float> planes,
                    const std::function<void(std::size_t, const Crossings&)>& visit) {
  const int n = storedTrajectories(data);
  const std::size_t blockSize = std::max<std::size_t>(1, kMaxCells / std::size_t(std::max(n, 1)));
  auto crossings = std::make_unique<Crossings>();
  std::vector<std::int16_t> segmentAt;
  for (std::size_t first = 0; first < planes.size(); first += blockSize) {
    const std::span<const float> block = planes.subspan(first, std::min(blockSize, planes.size() - first));
    segmentAt.assign(block.size() * std::size_t(n), 0);
    walkTrajectories(data, n, block, segmentAt);
    for (std::size_t j = 0; j < block.size(); ++j) {
      clearCrossings(*crossings);
      for (int i = 1; i <= n; ++i) {
        const std::int16_t k = segmentAt[j * std::size_t(n) + std::size_t(i - 1)];
        if (k != 0) addCrossing(data, i, k, block[j], *crossings);
      }
      finishCrossings(*crossings);
      visit(first + j, *crossings);
    }
  }
}

}  // namespace kelm::klplot
