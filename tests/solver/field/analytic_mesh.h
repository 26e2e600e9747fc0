#pragma once
// Test meshes classified from exact shapes, independent of the program's mesh builder: each
// electrode is a solid bounded by a quadric wr(r − rc)² + wz(z − zc)² = R², so every surface
// crossing comes from a closed form.

#include <functional>
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

// Every node's value of f(r, z), in metres.
std::vector<double> nodeValues(const ClassifiedMesh& mesh, const std::function<double(double r_m, double z_m)>& f);

// Spheres about (0, zc), the inner of radius a at V0 and the outer of radius b at 0, with
// φ = V0 (1/ρ − 1/b) / (1/a − 1/b) between them and the electrodes' potentials beyond.
struct ConcentricSpheres {
  double inner_m, outer_m, centre_m, inner_V;
  ClassifiedMesh mesh(int nr, int nz, double cell_m) const;
  double potential(double r_m, double z_m) const;
  double field(double rho_m) const;  // |E| = −φ'(ρ)
};

}  // namespace kelm::solver::testing
