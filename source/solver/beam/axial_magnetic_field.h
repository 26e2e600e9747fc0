#pragma once
// The magnetic field on the axis, Bz(z), with the derivatives the paraxial expansion takes,
// sampled on an even grid in z. Outside the grid the field is zero.

#include <span>
#include <vector>

#include "source/solver/geometry/solver_input.h"

namespace kelm::solver {

struct AxialFieldSample {
  double b_T = 0;
  double db_T_per_m = 0;
  double d2b_T_per_m2 = 0;
};

class AxialMagneticField {
 public:
  AxialMagneticField() = default;
  // Finite solenoids (thin current sheets), summed; samples every step_m over [z0, z1].
  static AxialMagneticField fromSolenoids(std::span<const Solenoid> solenoids, double z0_m,
                                          double z1_m, double step_m);
  // A table of (z, B) in increasing z, resampled every step_m with its derivatives taken by
  // differences. A table of fewer than two samples gives no field.
  static AxialMagneticField fromTable(std::span<const double> z_m, std::span<const double> b_T,
                                      double step_m);

  bool empty() const { return samples_.empty(); }
  AxialFieldSample at(double z_m) const;
  // The samples, for mag.dat.
  double start_m() const { return z0_m_; }
  double step_m() const { return step_m_; }
  const std::vector<AxialFieldSample>& samples() const { return samples_; }

 private:
  double z0_m_ = 0;
  double step_m_ = 1;
  std::vector<AxialFieldSample> samples_;
};

// The on-axis field of one finite solenoid and its first two derivatives.
AxialFieldSample solenoidField(const Solenoid& s, double z_m);

}  // namespace kelm::solver
