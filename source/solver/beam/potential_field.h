#pragma once
// The electrostatic potential between the mesh nodes as a bicubic Hermite surface: the node
// values and the node gradients (second-order differences of the discrete solution, taken
// through the boundary-fitted arms at electrode surfaces) fix it in every cell. Its gradient is
// then continuous across cell edges, so trajectories do not fold where cells meet, and a
// particle's energy still follows the very potential it sees (docs/method.md, "The fields the
// tracer sees"). The radius may be negative (a trajectory across the axis): φ is even in r.

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

#include "source/solver/beam/beam_self_field.h"
#include "source/solver/mesh.h"

namespace kelm::solver {

struct FieldPoint {
  double phi_V = 0;
  double er_V_per_m = 0;
  double ez_V_per_m = 0;
};

class PotentialField {
 public:
  // With the beam's own magnetic field, when the beam has been traced before; the object must
  // outlive this one.
  PotentialField(const ClassifiedMesh& mesh, std::span<const double> potential_V,
                 const BeamSelfField* selfField = nullptr);

  double cellSize() const { return mesh_.cell_m; }
  bool withinMesh(double r_m, double z_m) const;
  // Call only within the mesh.
  FieldPoint at(double r_m, double z_m) const;
  // Inside or on an electrode: beyond the surface crossings of the nearest free node of the
  // cell, the surface taken straight between the crossings on its two arms.
  bool insideElectrode(double r_m, double z_m) const;
  // The beam's azimuthal magnetic field, B_θ in tesla (odd in r).
  double selfField_T(double r_m, double z_m) const { return selfField_ ? selfField_->at(r_m, z_m) : 0.0; }

 private:
  struct Cell {
    int ir = 0, iz = 0;
    double u = 0, v = 0;  // position within the cell, 0..1 along r and z
  };
  // φ, ∂φ/∂r, ∂φ/∂z and ∂²φ/∂r∂z at a node, in volts and volts per cell. Within an
  // electrode, φ is the outside potential continued to the node.
  struct NodeFit {
    double phi = 0, r = 0, z = 0, rz = 0;
  };
  Cell cellOf(double r_m, double z_m) const;

  const ClassifiedMesh& mesh_;
  std::vector<NodeFit> fit_;
  const BeamSelfField* selfField_ = nullptr;
};

// Inline: the tracer asks for the field seven times a step.
inline PotentialField::Cell PotentialField::cellOf(double r_m, double z_m) const {
  // Clamped before the conversion, NaN to 0, so that no position can trap.
  auto within = [](double value, int last) { return value >= 0 ? std::min(value, static_cast<double>(last)) : 0.0; };
  const double x = within(std::fabs(r_m) / mesh_.cell_m, mesh_.nr - 1), y = within(z_m / mesh_.cell_m, mesh_.nz - 1);
  Cell c;
  c.ir = std::min(static_cast<int>(x), mesh_.nr - 2);
  c.iz = std::min(static_cast<int>(y), mesh_.nz - 2);
  c.u = x - c.ir;
  c.v = y - c.iz;
  return c;
}

inline FieldPoint PotentialField::at(double r_m, double z_m) const {
  const Cell c = cellOf(r_m, z_m);
  // Cubic Hermite bases on 0..1: value weights h for the ends, slope weights g, and their
  // derivatives.
  auto bases = [](double t, double h[2], double g[2], double dh[2], double dg[2]) {
    const double t2 = t * t, t3 = t2 * t;
    h[0] = 2 * t3 - 3 * t2 + 1, h[1] = 3 * t2 - 2 * t3;
    g[0] = t3 - 2 * t2 + t, g[1] = t3 - t2;
    dh[0] = 6 * t2 - 6 * t, dh[1] = 6 * t - 6 * t2;
    dg[0] = 3 * t2 - 4 * t + 1, dg[1] = 3 * t2 - 2 * t;
  };
  double hu[2], gu[2], dhu[2], dgu[2], hv[2], gv[2], dhv[2], dgv[2];
  bases(c.u, hu, gu, dhu, dgu);
  bases(c.v, hv, gv, dhv, dgv);
  double phi = 0, dPhiDu = 0, dPhiDv = 0;
  for (int b = 0; b < 2; ++b)
    for (int a = 0; a < 2; ++a) {
      const std::size_t n = mesh_.node(c.ir + a, c.iz + b);
      const NodeFit& s = fit_[n];
      const double p = s.phi;
      phi += (p * hu[a] + s.r * gu[a]) * hv[b] + (s.z * hu[a] + s.rz * gu[a]) * gv[b];
      dPhiDu += (p * dhu[a] + s.r * dgu[a]) * hv[b] + (s.z * dhu[a] + s.rz * dgu[a]) * gv[b];
      dPhiDv += (p * hu[a] + s.r * gu[a]) * dhv[b] + (s.z * hu[a] + s.rz * gu[a]) * dgv[b];
    }
  FieldPoint f;
  f.phi_V = phi;
  f.er_V_per_m = (r_m < 0 ? dPhiDu : -dPhiDu) / mesh_.cell_m;
  f.ez_V_per_m = -dPhiDv / mesh_.cell_m;
  return f;
}

}  // namespace kelm::solver
