#pragma once
// The crossings of one plane from beam.h5, for the figures klplt.res cannot give: every ray
// in double precision, and the azimuthal slope. beam.h5 counts only when the solve's record
// names it with the hash of what is read; else klplt.res serves, as it did before.

#include <optional>
#include <string>
#include <vector>

#include "source/openpmd/path_crossings.h"

namespace kelm::exporting {

// nullopt when the project has no beam.h5 its record vouches for; note then says why, when
// there is a beam.h5 that was left aside.
std::optional<std::vector<openpmd::PathCrossing>> beamFileCrossings(const std::string& directory, double z_m,
                                                                    std::string& note);

}  // namespace kelm::exporting
