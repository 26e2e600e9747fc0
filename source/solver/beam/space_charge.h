#pragma once
// The beam's charge on the mesh. A trajectory stands for a ring of current I; over a time step
// dt it leaves the charge −I·dt, shared among the four nodes of its cell by area (bilinear)
// weights and divided by each node's ring volume (docs/method.md, "The space charge").

#include <vector>

#include "source/solver/mesh.h"

namespace kelm::solver {

class SpaceCharge {
 public:
  explicit SpaceCharge(const ClassifiedMesh& mesh);

  void clear();
  // An electron charge −current·dt (C) at (r, z); |r| is used, outside the mesh nothing.
  void deposit(double r_m, double z_m, double current_A, double dt_s);
  // The charge density per node (C/m³).
  std::vector<double> density() const;
  // Each node's volume under its bilinear weight: the ring volume of its axisymmetric cell.
  double ringVolume(int ir, int iz) const;

 private:
  const ClassifiedMesh& mesh_;
  std::vector<double> charge_C_;
};

}  // namespace kelm::solver
