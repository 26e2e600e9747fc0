#pragma once
// Test meshes classified from exact shapes, independent of the program's mesh builder: each
// electrode is a solid bounded by a quadric wr(r − rc)² + wz(z − zc)² = R², so every surface
// crossing comes from a closed form.

#include <vector>

#include "source/solver/mesh.h"

namespace kelm::solver::testing {

struct QuadricSolid {
  double rc_m = 0, zc_m = 0;
  double wr = 1, wz = 1;   // wz = 0: a cylinder about the axis; both 1: a sphere
  double radius_m = 0;
  bool solidInside = true;  // the electrode fills the inside, else the outside
  int electrode = 0;
};

ClassifiedMesh quadricMesh(int nr, int nz, double cell_m, const std::vector<double>& potentials_V,
                           const std::vector<QuadricSolid>& solids);

}  // namespace kelm::solver::testing
