#pragma once
// The rays of beam.h5, for the figures klplt.res cannot give: every ray in double precision,
// with its azimuthal motion. beam.h5 counts only when the solve's record names it with the hash
// of what is read; else klplt.res serves, as it did before.

#include <optional>
#include <string>
#include <vector>

#include "source/openpmd/beam_file_reader.h"
#include "source/project_files/solve_record.h"

namespace kelm::exporting {

// complete: the project's record where its results match it, else null. nullopt when the
// project has no beam.h5 that record vouches for; note then says why, when there is a beam.h5
// that was left aside.
std::optional<std::vector<openpmd::PathRay>> vouchedBeamRays(const std::string& directory,
                                                             const projectfiles::SolveRecord* complete,
                                                             std::string& note);

}  // namespace kelm::exporting
