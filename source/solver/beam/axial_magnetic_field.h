#pragma once
// The magnetic field on the axis, Bz(z), as a cubic spline through samples (not-a-knot ends),
// so that B, B' and B'' are continuous and B''' steps only at the samples: the paraxial B_z and
// B_r taken from them are then the curl-free field of one flux function, and a particle's energy
// is conserved through however steep a ramp. Outside the samples the field is zero.

#include <span>
#include <vector>

#include "source/solver/geometry/solver_input.h"

namespace kelm::solver {

struct AxialFieldSample {
  double b_T = 0;
  double db_T_per_m = 0;
  double d2b_T_per_m2 = 0;
  double d3b_T_per_m3 = 0;
};

class AxialMagneticField {
 public:
  AxialMagneticField() = default;
  // Finite solenoids (thin current sheets), summed; samples every step_m over [z0, z1].
  static AxialMagneticField fromSolenoids(std::span<const Solenoid> solenoids, double z0_m,
                                          double z1_m, double step_m);
  // A table of (z, B) in strictly increasing z, needed over [z0, z1]; fewer than two samples
  // give no field. A table finer than step_m there is taken at step_m.
  static AxialMagneticField fromTable(std::span<const double> z_m, std::span<const double> b_T, double z0_m,
                                      double z1_m, double step_m);

  bool empty() const { return z_m_.empty(); }
  AxialFieldSample at(double z_m) const;
  // The closest two samples lie, for writing the field out at its own resolution.
  double step_m() const { return step_m_; }

 private:
  // Through at least two samples, in strictly increasing z.
  static AxialMagneticField spline(std::span<const double> z_m, std::span<const double> b_T);

  std::vector<double> z_m_, b_T_, slope_T_per_m_;
  double step_m_ = 1;
};

}  // namespace kelm::solver
