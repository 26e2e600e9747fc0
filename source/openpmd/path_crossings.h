#pragma once
// Where the paths of beam.h5 first cross a plane z = const, in the cylindrical terms the
// beam's figures use: the radius, its slope dr/dz and the azimuthal slope r·dθ/dz.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "source/openpmd/beam_file_reader.h"

namespace kelm::openpmd {

struct PathCrossing {
  std::int32_t id = 0;
  double r_m = 0, slope = 0, azimuthalSlope = 0, current_A = 0;
};

// A ray that moves along the plane where it meets it (a slope beyond kMaxSlope) gives no
// crossing.
inline constexpr double kMaxSlope = 1e12;
std::vector<PathCrossing> pathCrossings(std::span<const PathRay> rays, double z_m);

// The crossings of many planes (ascending), each path walked once for a block of them: plane j
// gets exactly what pathCrossings gives it alone, handed to visit(j, ...) for j = 0, 1, ...
void sweepPathCrossings(std::span<const PathRay> rays, std::span<const double> planes_m,
                        const std::function<void(std::size_t, std::span<const PathCrossing>)>& visit);

}  // namespace kelm::openpmd
