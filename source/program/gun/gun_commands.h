#pragma once
// The Build net and Solve commands (klmaindemo) on the project in the current directory.

namespace kelm {

// Solve: the beam of the gun geom.cod and klinput.dat describe, and its files.
void runSolve();
// Build net: the mesh of the gun geom.cod describes, and its outline in geom.dat.
void runBuildNet();
// Both, as the batch runs them: the outline is committed with the results, or not at all.
void runBuildNetAndSolve();

}  // namespace kelm
