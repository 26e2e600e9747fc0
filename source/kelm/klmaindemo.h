#pragma once
// The absent solver and mesh builder of this edition: each only writes its warning.

namespace kelm {

void runSolve();
void runBuildNet();

}  // namespace kelm
