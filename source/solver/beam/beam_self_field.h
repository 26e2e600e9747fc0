#pragma once
// The beam's own azimuthal magnetic field, B_θ = −μ0·I(r, z)/(2π r), where I is the electron
// current the traced trajectories carry through the circle of radius r in the plane z (the
// minus: electrons moving along +z are a current along −z). Its pinch takes β² of the space
// charge's push away, which turns the envelope's perveance into 2I/(I₀β³γ³) (docs/method.md,
// "The fields the tracer sees").

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "source/solver/mesh.h"

namespace kelm::solver {

struct Trace;

class BeamSelfField {
 public:
  BeamSelfField() = default;  // no beam: no field
  explicit BeamSelfField(const ClassifiedMesh& mesh);

  // Adds the crossings of the mesh's planes z = iz·h by one trajectory carrying current_A.
  void add(const Trace& trace, double current_A);
  // Turns the enclosed currents into the field; call once, after the last add.
  void finish();

  // B_θ in tesla at a signed radius (odd in r, as E_r is); zero off the mesh.
  double at(double r_m, double z_m) const;

 private:
  int nr_ = 0, nz_ = 0;
  double cell_m_ = 1;
  std::vector<std::vector<std::pair<double, double>>> crossings_;  // per plane: |r| and current
  std::vector<double> node_;  // B_θ per node as the mesh numbers them
};

inline double BeamSelfField::at(double r_m, double z_m) const {
  if (node_.empty()) return 0;
  const double x = std::fabs(r_m) / cell_m_, y = z_m / cell_m_;
  if (!(x <= nr_ - 1) || !(y >= 0 && y <= nz_ - 1)) return 0;
  const int ir = std::min(static_cast<int>(x), nr_ - 2), iz = std::min(static_cast<int>(y), nz_ - 2);
  const double u = x - ir, v = y - iz;
  const std::size_t n = static_cast<std::size_t>(iz) * static_cast<std::size_t>(nr_) + static_cast<std::size_t>(ir);
  const std::size_t up = n + static_cast<std::size_t>(nr_);
  const double b = (1 - v) * ((1 - u) * node_[n] + u * node_[n + 1]) + v * ((1 - u) * node_[up] + u * node_[up + 1]);
  return r_m < 0 ? -b : b;
}

}  // namespace kelm::solver
