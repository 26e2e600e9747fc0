#pragma once
// Current density over the radius in annular bins, from the plane crossings.

#include <cstdint>

#include "runtime/fixed_array.h"
#include "source/klplot/project/project_data.h"

namespace kelm::klplot {

inline constexpr int kMaxDensityBins = 101;

struct DensityHistogram {
  int bins = 10;
  double rMax = 1.0;
  Array1<double, kMaxDensityBins> density;  // A/mm^2, bins 1 .. bins
  std::int32_t divisionsUsed = 0;           // 0: the request was kept
};

// Where a share goes whose bin lies outside 1 .. bins + 1: the screen counts it in the
// nearest of those bins, the printed page leaves it out.
enum class OuterShares { kCountInEdgeBin, kDrop };

// The distance between the start radii of the first two trajectories; 0 without two.
double startRadiusSpacing(const ProjectData& data);

// spacing: distance of the first two start radii; 0 gives one crossing per bin.
void densityHistogram(int n, const Array1<float, kMaxTrajectories>& r,
                      const Array1<float, kMaxTrajectories>& current, double spacing,
                      std::int32_t divisions, OuterShares outer, DensityHistogram& out);

// The smallest and largest density over the bins, with 0 always between them.
struct DensityRange {
  double low, high;
};
DensityRange densityRange(const DensityHistogram& h);

}  // namespace kelm::klplot
