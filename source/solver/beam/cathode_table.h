#pragma once
// cathode.csv: the emission across the cathode, one row a trajectory's site, for the designer's
// own plots (kelm-export --cathode-csv hands it on): the start on the cathode, the site's
// current and mean density, and the density the emission mode allows there.

#include <string>
#include <vector>

#include "source/solver/beam/beam_iteration.h"

namespace kelm::solver {

inline constexpr const char* kCathodeHeader = "r [mm],z [mm],current [A],J [A/cm2],limit [A/cm2]";

std::string cathodeTable(const std::vector<BeamTrajectory>& beam);

}  // namespace kelm::solver
