#pragma once
// The electrostatic potential between the mesh nodes: bilinear in each cell, and the electric
// field its exact gradient, so that a particle's energy follows the potential it sees. The
// radius may be negative (a trajectory across the axis): the potential is even in r.

#include <algorithm>
#include <cmath>
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
  struct Cell {
    int ir = 0, iz = 0;
    double u = 0, v = 0;  // position within the cell, 0..1 along r and z
  };
  Cell cellOf(double r_m, double z_m) const;

  const ClassifiedMesh& mesh_;
  std::span<const double> potential_;
};

// Inline: the tracer asks for the field seven times a step.
inline PotentialField::Cell PotentialField::cellOf(double r_m, double z_m) const {
  // Clamped before the conversion, NaN to 0, so that no position can trap.
  auto within = [](double value, int last) { return value >= 0 ? std::min(value, static_cast<double>(last)) : 0.0; };
  const double x = within(std::fabs(r_m) / mesh_.cell_m, mesh_.nr - 2), y = within(z_m / mesh_.cell_m, mesh_.nz - 2);
  Cell c;
  c.ir = std::min(static_cast<int>(x), mesh_.nr - 2);
  c.iz = std::min(static_cast<int>(y), mesh_.nz - 2);
  c.u = x - c.ir;
  c.v = y - c.iz;
  return c;
}

inline FieldPoint PotentialField::at(double r_m, double z_m) const {
  const Cell c = cellOf(r_m, z_m);
  const double p00 = potential_[mesh_.node(c.ir, c.iz)], p10 = potential_[mesh_.node(c.ir + 1, c.iz)];
  const double p01 = potential_[mesh_.node(c.ir, c.iz + 1)], p11 = potential_[mesh_.node(c.ir + 1, c.iz + 1)];
  FieldPoint f;
  f.phi_V = (1 - c.u) * (1 - c.v) * p00 + c.u * (1 - c.v) * p10 + (1 - c.u) * c.v * p01 + c.u * c.v * p11;
  const double dPhiDr = ((1 - c.v) * (p10 - p00) + c.v * (p11 - p01)) / mesh_.cell_m;
  const double dPhiDz = ((1 - c.u) * (p01 - p00) + c.u * (p11 - p10)) / mesh_.cell_m;
  f.er_V_per_m = r_m < 0 ? dPhiDr : -dPhiDr;
  f.ez_V_per_m = -dPhiDz;
  return f;
}

}  // namespace kelm::solver
