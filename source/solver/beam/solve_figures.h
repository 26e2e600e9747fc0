#pragma once
// What a solve reports besides its iteration: the electrodes' surface field against the limit
// klinput.dat sets, and where the current went. The same figures go to the Output as lines and
// to the solve's record as rows, so that both always agree.

#include <string>
#include <utility>
#include <vector>

#include "source/solver/beam/current_accounting.h"
#include "source/solver/field/surface_field.h"
#include "source/solver/geometry/gun_description.h"

namespace kelm::solver {

struct SolveFigures {
  std::vector<std::string> lines;
  std::vector<std::pair<std::string, std::string>> rows;  // key, value, for the record
  std::string warning;  // the surface field over the limit, one line; empty within it
};

// account is null for a vacuum solve; limit 0: none given.
SolveFigures solveFigures(const GunDescription& gun, const SurfaceField& field, const CurrentAccount* account,
                          double limit_kV_per_mm);

}  // namespace kelm::solver
