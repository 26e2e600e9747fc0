#pragma once
// klplt.res: the trajectories in unformatted sequential records (a file mark, records in
// length-byte blocks, an end mark), in node units. Record 1 holds the iterations done, record 2
// the trajectory count, then one start record per trajectory (index, r, z, density, current),
// the point records (index, r, z) and a closing record of index 0. It holds at most
// kMaxTrajectories of the beam's rays: those raysKept chooses.

#include <string>

#include "source/project_files/capacities.h"
#include "source/solver/beam/beam_iteration.h"

namespace kelm::solver {

std::string resultFileBytes(const BeamResult& beam, double cell_m);

// At most `limit` of the points, the first and the last among them, spread evenly along the
// arc length from the cathode point (r0, z0). Indices into points, increasing.
std::vector<std::size_t> pointsAlongArc(double r0_m, double z0_m, const std::vector<TracePoint>& points,
                                        std::size_t limit);

// At most `limit` of `rays` rays, `raysPerSite` to a site in a row, chosen evenly along the
// cathode and turning through each site's rays, so that no thermal direction is left out.
// Indices, increasing.
std::vector<std::size_t> raysKept(std::size_t rays, std::size_t raysPerSite, std::size_t limit);

}  // namespace kelm::solver
