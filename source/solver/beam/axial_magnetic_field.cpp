#include "source/solver/beam/axial_magnetic_field.h"

#include <algorithm>
#include <cmath>

#include "source/solver/physical_constants.h"

namespace kelm::solver {
namespace {

// Bounded so that a careless step cannot ask for millions of samples.
constexpr int kMaxSamples = 100000;

int sampleCount(double z0, double z1, double& step) {
  if (!(z1 > z0) || !(step > 0)) return 0;
  double n = std::ceil((z1 - z0) / step);
  if (n > kMaxSamples - 1) {
    n = kMaxSamples - 1;
    step = (z1 - z0) / n;
  }
  return static_cast<int>(n) + 1;
}

// B = k [u1/√(u1² + a²) − u2/√(u2² + a²)], with u = z − end.
double solenoidField_T(const Solenoid& s, double z_m) {
  const double length = s.length_mm * 1e-3, a = s.radius_mm * 1e-3;
  const double k = kVacuumPermeability_H_per_m * s.ampereTurns / (2.0 * length);
  const double u1 = z_m - (s.z_mm * 1e-3 - length / 2), u2 = z_m - (s.z_mm * 1e-3 + length / 2);
  return k * (u1 / std::sqrt(u1 * u1 + a * a) - u2 / std::sqrt(u2 * u2 + a * a));
}

// The spline's slopes at the samples: not-a-knot (the third derivative continuous across the
// second and the last but one sample), the parabola for three samples, the line for two.
std::vector<double> splineSlopes(std::span<const double> x, std::span<const double> y) {
  const std::size_t n = x.size();
  std::vector<double> dx(n - 1), m(n - 1), slope(n);
  for (std::size_t i = 0; i + 1 < n; ++i) {
    dx[i] = x[i + 1] - x[i];
    m[i] = (y[i + 1] - y[i]) / dx[i];
  }
  if (n == 2) return {m[0], m[0]};
  if (n == 3) {
    const double c = (m[1] - m[0]) / (x[2] - x[0]);  // B'' / 2
    return {m[0] - c * dx[0], m[0] + c * dx[0], m[1] + c * dx[1]};
  }
  // Tridiagonal rows sub·s[i−1] + diag·s[i] + super·s[i+1] = rhs, solved by elimination.
  std::vector<double> sub(n), diag(n), super(n), rhs(n);
  const double d0 = x[2] - x[0], d1 = x[n - 1] - x[n - 3];
  diag[0] = dx[1], super[0] = d0;
  rhs[0] = ((dx[0] + 2 * d0) * dx[1] * m[0] + dx[0] * dx[0] * m[1]) / d0;
  for (std::size_t i = 1; i + 1 < n; ++i) {
    sub[i] = dx[i], diag[i] = 2 * (dx[i - 1] + dx[i]), super[i] = dx[i - 1];
    rhs[i] = 3 * (dx[i] * m[i - 1] + dx[i - 1] * m[i]);
  }
  sub[n - 1] = d1, diag[n - 1] = dx[n - 3];
  rhs[n - 1] = (dx[n - 2] * dx[n - 2] * m[n - 3] + (2 * d1 + dx[n - 2]) * dx[n - 3] * m[n - 2]) / d1;
  for (std::size_t i = 1; i < n; ++i) {
    const double f = sub[i] / diag[i - 1];
    diag[i] -= f * super[i - 1];
    rhs[i] -= f * rhs[i - 1];
  }
  slope[n - 1] = rhs[n - 1] / diag[n - 1];
  for (std::size_t i = n - 1; i-- > 0;) slope[i] = (rhs[i] - super[i] * slope[i + 1]) / diag[i];
  return slope;
}

}  // namespace

AxialMagneticField AxialMagneticField::fromSolenoids(std::span<const Solenoid> solenoids,
                                                     double z0_m, double z1_m, double step_m) {
  const int n = sampleCount(z0_m, z1_m, step_m);
  if (solenoids.empty() || n == 0) return {};
  std::vector<double> z(static_cast<std::size_t>(n)), b(static_cast<std::size_t>(n), 0.0);
  for (std::size_t k = 0; k < z.size(); ++k) {
    z[k] = z0_m + static_cast<double>(k) * step_m;
    for (const Solenoid& s : solenoids) b[k] += solenoidField_T(s, z[k]);
  }
  return spline(z, b);
}

AxialMagneticField AxialMagneticField::fromTable(std::span<const double> z_m, std::span<const double> b_T,
                                                 double z0_m, double z1_m, double step_m) {
  const std::size_t count = std::min(z_m.size(), b_T.size());
  if (count < 2) return {};
  const AxialMagneticField table = spline(z_m.first(count), b_T.first(count));
  // Samples closer than the step carry their rounding into B'' and B''' many times over: the
  // table's own spline is sampled again at the step, over the range needed only, so that a
  // sample far outside it cannot coarsen the rest.
  const double from = std::max(z_m.front(), z0_m), to = std::min(z_m[count - 1], z1_m);
  const int n = sampleCount(from, to, step_m);
  const auto inside = std::count_if(z_m.begin(), z_m.begin() + static_cast<std::ptrdiff_t>(count),
                                    [&](double z) { return z >= from && z <= to; });
  if (n < 2 || n >= inside) return table;
  std::vector<double> z(static_cast<std::size_t>(n)), b(z.size());
  for (std::size_t k = 0; k < z.size(); ++k) {
    z[k] = from + (to - from) * static_cast<double>(k) / static_cast<double>(n - 1);
    b[k] = table.at(z[k]).b_T;
  }
  return spline(z, b);
}

AxialMagneticField AxialMagneticField::spline(std::span<const double> z_m, std::span<const double> b_T) {
  AxialMagneticField field;
  field.z_m_.assign(z_m.begin(), z_m.end());
  field.b_T_.assign(b_T.begin(), b_T.end());
  field.slope_T_per_m_ = splineSlopes(field.z_m_, field.b_T_);
  field.step_m_ = field.z_m_[1] - field.z_m_[0];
  for (std::size_t i = 1; i + 1 < field.z_m_.size(); ++i) field.step_m_ = std::min(field.step_m_, field.z_m_[i + 1] - field.z_m_[i]);
  return field;
}

AxialFieldSample AxialMagneticField::at(double z_m) const {
  if (z_m_.empty() || !(z_m >= z_m_.front()) || z_m > z_m_.back()) return {};
  const auto above = static_cast<std::size_t>(std::upper_bound(z_m_.begin(), z_m_.end(), z_m) - z_m_.begin());
  const std::size_t i = std::min(above, z_m_.size() - 1) - 1;
  const double h = z_m_[i + 1] - z_m_[i], x = z_m - z_m_[i];
  const double m = (b_T_[i + 1] - b_T_[i]) / h, s0 = slope_T_per_m_[i], s1 = slope_T_per_m_[i + 1];
  const double c2 = (3 * m - 2 * s0 - s1) / h, c3 = (s0 + s1 - 2 * m) / (h * h);
  return {b_T_[i] + x * (s0 + x * (c2 + x * c3)), s0 + x * (2 * c2 + 3 * c3 * x), 2 * c2 + 6 * c3 * x, 6 * c3};
}

}  // namespace kelm::solver
