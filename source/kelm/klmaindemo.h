#pragma once
// The Build net and Solve commands on the project in the current directory.

namespace kelm {

// Solve: the vacuum field of the gun geom.cod describes, then pot.dat and potmap.dat.
void runSolve();
// Build net: the mesh of the gun geom.cod describes, and its outline in geom.dat.
void runBuildNet();

}  // namespace kelm
