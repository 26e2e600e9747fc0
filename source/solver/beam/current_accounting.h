#pragma once
// Where the emitted current goes: onto which electrode, out through the mesh's edge, or back
// toward the cathode. Every trajectory's current lands in exactly one share, so the shares add
// up to the emitted current.

#include <vector>

#include "source/solver/beam/beam_iteration.h"
#include "source/solver/mesh.h"

namespace kelm::solver {

struct CurrentAccount {
  double emitted_A = 0;
  std::vector<double> intercepted_A;  // by electrode number
  double exit_A = 0;       // through an edge of the mesh
  double reflected_A = 0;  // turned back toward the cathode
  double stalled_A = 0;    // stopped by the tracer's step limit, inside the gun
};

CurrentAccount accountCurrent(const ClassifiedMesh& mesh, const std::vector<BeamTrajectory>& beam);

// The electrode a trajectory ending at (r, z) ran into: the one whose surface crossing lies
// nearest the point on the arms of the cell's corners, or the electrode of a corner node.
int electrodeStruck(const ClassifiedMesh& mesh, double r_m, double z_m);

}  // namespace kelm::solver
