#pragma once
// Results drawn on an outline they were not computed for: after Build net with a new cell size
// the old klplt.res and pot.dat would be scaled by the new geom.dat's mesh.

#include <string>

namespace kelm::projectfiles {

inline constexpr const char* kOlderThanMeshMessage = "Results older than the mesh: Solve again";

// True when klplt.res or pot.dat was last written more than 2 s before geom.dat; false when
// geom.dat is missing.
bool resultsOlderThanMesh(const std::string& directory);

}  // namespace kelm::projectfiles
