#include "source/solver/beam/potential_field.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kelm::solver {
namespace {

struct Cell {
  int ir = 0, iz = 0;
  double u = 0, v = 0;  // position within the cell, 0..1 along r and z
};

Cell cellOf(const ClassifiedMesh& mesh, double r_m, double z_m) {
  const double x = std::fabs(r_m) / mesh.cell_m, y = z_m / mesh.cell_m;
  Cell c;
  c.ir = std::clamp(static_cast<int>(x), 0, mesh.nr - 2);
  c.iz = std::clamp(static_cast<int>(y), 0, mesh.nz - 2);
  c.u = x - c.ir;
  c.v = y - c.iz;
  return c;
}

}  // namespace

bool PotentialField::withinMesh(double r_m, double z_m) const {
  const double rMax = (mesh_.nr - 1) * mesh_.cell_m, zMax = (mesh_.nz - 1) * mesh_.cell_m;
  return std::fabs(r_m) <= rMax && z_m >= 0.0 && z_m <= zMax;
}

FieldPoint PotentialField::at(double r_m, double z_m) const {
  const Cell c = cellOf(mesh_, r_m, z_m);
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

bool PotentialField::insideElectrode(double r_m, double z_m) const {
  const Cell c = cellOf(mesh_, r_m, z_m);
  double best = std::numeric_limits<double>::max();
  bool inside = true;  // a cell without a free corner lies within an electrode
  for (int corner = 0; corner < 4; ++corner) {
    const int ir = c.ir + (corner & 1), iz = c.iz + (corner >> 1);
    const std::size_t n = mesh_.node(ir, iz);
    if (mesh_.electrodeAt[n] != ClassifiedMesh::kFree) continue;
    const double a = c.u - (corner & 1), b = c.v - (corner >> 1);
    const double distance = a * a + b * b;
    if (distance >= best) continue;
    best = distance;
    const Arm armR = a >= 0 ? kRPlus : kRMinus, armZ = b >= 0 ? kZPlus : kZMinus;
    const auto& fraction = mesh_.armFraction[n];
    const auto& electrode = mesh_.armElectrode[n];
    double reach = 0;  // |a|/fr + |b|/fz: beyond 1 past the straight surface
    if (electrode[armR] != ClassifiedMesh::kFree) reach += std::fabs(a) / std::max(double{fraction[armR]}, 1e-6);
    if (electrode[armZ] != ClassifiedMesh::kFree) reach += std::fabs(b) / std::max(double{fraction[armZ]}, 1e-6);
    inside = reach > 1.0;
  }
  return inside;
}

}  // namespace kelm::solver
