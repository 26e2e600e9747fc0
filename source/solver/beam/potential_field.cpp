#include "source/solver/beam/potential_field.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kelm::solver {
bool PotentialField::withinMesh(double r_m, double z_m) const {
  const double rMax = (mesh_.nr - 1) * mesh_.cell_m, zMax = (mesh_.nz - 1) * mesh_.cell_m;
  return std::fabs(r_m) <= rMax && z_m >= 0.0 && z_m <= zMax;
}

bool PotentialField::insideElectrode(double r_m, double z_m) const {
  const Cell c = cellOf(r_m, z_m);
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
    const auto armR = static_cast<std::size_t>(a >= 0 ? kRPlus : kRMinus);
    const auto armZ = static_cast<std::size_t>(b >= 0 ? kZPlus : kZMinus);
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
