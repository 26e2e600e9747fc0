#include "source/solver/beam/space_charge.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kelm::solver {

SpaceCharge::SpaceCharge(const ClassifiedMesh& mesh) : mesh_(mesh), charge_C_(mesh.nodeCount(), 0.0) {}

void SpaceCharge::clear() { std::fill(charge_C_.begin(), charge_C_.end(), 0.0); }

void SpaceCharge::deposit(double r_m, double z_m, double current_A, double dt_s) {
  const double x = std::fabs(r_m) / mesh_.cell_m, y = z_m / mesh_.cell_m;
  if (!(x >= 0 && x <= mesh_.nr - 1 && y >= 0 && y <= mesh_.nz - 1)) return;
  const int ir = std::min(static_cast<int>(x), mesh_.nr - 2), iz = std::min(static_cast<int>(y), mesh_.nz - 2);
  const double u = x - ir, v = y - iz, q = -current_A * dt_s;
  charge_C_[mesh_.node(ir, iz)] += q * (1 - u) * (1 - v);
  charge_C_[mesh_.node(ir + 1, iz)] += q * u * (1 - v);
  charge_C_[mesh_.node(ir, iz + 1)] += q * (1 - u) * v;
  charge_C_[mesh_.node(ir + 1, iz + 1)] += q * u * v;
}

double SpaceCharge::ringVolume(int ir, int iz) const {
  // ∫ 2πr·hat(r) dr: πh²/3 on the axis, 2π·ir·h² inside, 2πh²(ir/2 − 1/6) on the outer edge;
  // the axial hat gives h, or h/2 on the first and last rows.
  const double h = mesh_.cell_m;
  double radial;
  if (ir == 0) radial = std::numbers::pi * h * h / 3;
  else if (ir == mesh_.nr - 1) radial = 2 * std::numbers::pi * h * h * (ir / 2.0 - 1.0 / 6.0);
  else radial = 2 * std::numbers::pi * ir * h * h;
  const double axial = (iz == 0 || iz == mesh_.nz - 1) ? h / 2 : h;
  return radial * axial;
}

std::vector<double> SpaceCharge::density() const {
  std::vector<double> rho(charge_C_.size(), 0.0);
  for (int iz = 0; iz < mesh_.nz; ++iz)
    for (int ir = 0; ir < mesh_.nr; ++ir) {
      const std::size_t n = mesh_.node(ir, iz);
      rho[n] = charge_C_[n] / ringVolume(ir, iz);
    }
  return rho;
}

}  // namespace kelm::solver
