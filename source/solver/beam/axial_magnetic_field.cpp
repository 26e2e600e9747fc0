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

}  // namespace

AxialFieldSample solenoidField(const Solenoid& s, double z_m) {
  // B = k [u1/√(u1² + a²) − u2/√(u2² + a²)], with u = z − end; f(u) = u/√(u² + a²) has
  // f' = a²/(u² + a²)^{3/2} and f'' = −3a²u/(u² + a²)^{5/2}.
  const double length = s.length_mm * 1e-3, a = s.radius_mm * 1e-3;
  const double k = kVacuumPermeability_H_per_m * s.ampereTurns / (2.0 * length);
  const double u1 = z_m - (s.z_mm * 1e-3 - length / 2), u2 = z_m - (s.z_mm * 1e-3 + length / 2);
  auto f = [a](double u) { return u / std::sqrt(u * u + a * a); };
  auto f1 = [a](double u) { return a * a / std::pow(u * u + a * a, 1.5); };
  auto f2 = [a](double u) { return -3.0 * a * a * u / std::pow(u * u + a * a, 2.5); };
  return {k * (f(u1) - f(u2)), k * (f1(u1) - f1(u2)), k * (f2(u1) - f2(u2))};
}

AxialMagneticField AxialMagneticField::fromSolenoids(std::span<const Solenoid> solenoids,
                                                     double z0_m, double z1_m, double step_m) {
  AxialMagneticField field;
  const int n = sampleCount(z0_m, z1_m, step_m);
  if (solenoids.empty() || n == 0) return field;
  field.z0_m_ = z0_m;
  field.step_m_ = step_m;
  field.samples_.resize(static_cast<std::size_t>(n));
  for (int k = 0; k < n; ++k) {
    AxialFieldSample& sum = field.samples_[static_cast<std::size_t>(k)];
    for (const Solenoid& s : solenoids) {
      const AxialFieldSample one = solenoidField(s, z0_m + k * step_m);
      sum.b_T += one.b_T;
      sum.db_T_per_m += one.db_T_per_m;
      sum.d2b_T_per_m2 += one.d2b_T_per_m2;
    }
  }
  return field;
}

AxialMagneticField AxialMagneticField::fromTable(std::span<const double> z_m,
                                                 std::span<const double> b_T, double step_m) {
  AxialMagneticField field;
  const std::size_t count = std::min(z_m.size(), b_T.size());
  if (count < 2) return field;
  const int n = sampleCount(z_m.front(), z_m[count - 1], step_m);
  if (n < 3) return field;
  field.z0_m_ = z_m.front();
  field.step_m_ = step_m;
  field.samples_.resize(static_cast<std::size_t>(n));
  std::size_t j = 1;
  for (int k = 0; k < n; ++k) {
    const double z = z_m.front() + k * step_m;
    while (j + 1 < count && z_m[j] < z) ++j;
    const double span = z_m[j] - z_m[j - 1];
    const double t = span > 0 ? std::clamp((z - z_m[j - 1]) / span, 0.0, 1.0) : 1.0;
    field.samples_[static_cast<std::size_t>(k)].b_T = b_T[j - 1] + t * (b_T[j] - b_T[j - 1]);
  }
  // Differences; one-sided at the ends of the table.
  auto b = [&](int k) { return field.samples_[static_cast<std::size_t>(std::clamp(k, 0, n - 1))].b_T; };
  for (int k = 0; k < n; ++k) {
    const int lo = std::max(k - 1, 0), hi = std::min(k + 1, n - 1);
    AxialFieldSample& s = field.samples_[static_cast<std::size_t>(k)];
    s.db_T_per_m = (b(hi) - b(lo)) / ((hi - lo) * step_m);
    const int c = std::clamp(k, 1, n - 2);
    s.d2b_T_per_m2 = (b(c + 1) - 2 * b(c) + b(c - 1)) / (step_m * step_m);
  }
  return field;
}

AxialFieldSample AxialMagneticField::at(double z_m) const {
  if (samples_.empty()) return {};
  const double x = (z_m - z0_m_) / step_m_;
  const double last = static_cast<double>(samples_.size() - 1);
  if (!(x >= 0.0) || x > last) return {};
  const auto k = std::min(static_cast<std::size_t>(x), samples_.size() - 2);
  const double t = x - static_cast<double>(k);
  const AxialFieldSample& a = samples_[k];
  const AxialFieldSample& b = samples_[k + 1];
  return {a.b_T + t * (b.b_T - a.b_T), a.db_T_per_m + t * (b.db_T_per_m - a.db_T_per_m),
          a.d2b_T_per_m2 + t * (b.d2b_T_per_m2 - a.d2b_T_per_m2)};
}

}  // namespace kelm::solver
