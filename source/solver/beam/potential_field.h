#pragma once
// The electrostatic potential between the mesh nodes: bilinear in each cell, and the electric
// field its exact gradient, so that a particle's energy follows the potential it sees. The
// radius may be negative (a trajectory across the axis): the potential is even in r.

#include <span>

#include "source/solver/mesh.h"

namespace kelm::solver {

struct FieldPoint {
  double phi_V = 0;
  double er_V_per_m = 0;
  double ez_V_per_m = 0;
};

class PotentialField {
 public:
  PotentialField(const ClassifiedMesh& mesh, std::span<const double> potential_V)
      : mesh_(mesh), potential_(potential_V) {}

  double cellSize() const { return mesh_.cell_m; }
  bool withinMesh(double r_m, double z_m) const;
  // Call only within the mesh.
  FieldPoint at(double r_m, double z_m) const;
  // Inside or on an electrode: beyond the surface crossings of the nearest free node of the
  // cell, the surface taken straight between the crossings on its two arms.
  bool insideElectrode(double r_m, double z_m) const;

 private:
  const ClassifiedMesh& mesh_;
  std::span<const double> potential_;
};

}  // namespace kelm::solver
