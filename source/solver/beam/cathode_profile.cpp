#include "source/solver/beam/cathode_profile.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kelm::solver {

CathodeProfile::CathodeProfile(const CathodeShape& cathode, double spacing_m)
    : cathode_(cathode), length_(surfaceLength(cathode)) {
  // Bounded: a surface of many cells is sampled no finer than 100 000 points.
  const double parts = std::clamp(std::ceil(length_ / spacing_m), 1.0, 1e5);
  step_ = length_ / parts;
  density_.assign(static_cast<std::size_t>(parts) + 1, 0.0);
}

double CathodeProfile::densityAt(double along_m) const {
  const double x = std::clamp(along_m / step_, 0.0, static_cast<double>(density_.size() - 1));
  const std::size_t k = std::min(static_cast<std::size_t>(x), density_.size() - 2);
  const double u = x - static_cast<double>(k);
  return (1 - u) * density_[k] + u * density_[k + 1];
}

double CathodeProfile::current(double from_m, double to_m) const {
  // Simpson on each piece between profile points: exact on the flat cathode, where both J
  // and the ring's circumference are linear along the surface.
  double sum = 0;
  const double first = std::max(std::floor(from_m / step_), 0.0);
  const double last = std::min(std::ceil(to_m / step_), static_cast<double>(density_.size() - 1));
  for (double k = first; k < last; ++k) {  // by index: a sum of steps would drift off the points
    const double a = std::max(from_m, k * step_), b = std::min(to_m, (k + 1) * step_);
    if (!(b > a)) continue;
    auto ring = [&](double s) { return densityAt(s) * surfacePoint(cathode_, s).r_m; };
    sum += (b - a) / 6 * (ring(a) + 4 * ring((a + b) / 2) + ring(b));
  }
  return 2 * std::numbers::pi * sum;
}

std::vector<TubePart> CathodeProfile::tube(const EmissionSite& site) const {
  const double width = site.to_m - site.from_m;
  const int parts = static_cast<int>(std::clamp(std::ceil(2 * width / step_), 1.0, 256.0));
  if (parts == 1) return {TubePart{0, 0, 1}};
  std::vector<TubePart> tube(static_cast<std::size_t>(parts));
  double total = 0;
  for (int q = 0; q < parts; ++q) {
    const double a = site.from_m + width * q / parts, b = site.from_m + width * (q + 1) / parts;
    TubePart& p = tube[static_cast<std::size_t>(q)];
    const SurfacePoint middle = surfacePoint(cathode_, (a + b) / 2);
    p.dr_m = middle.r_m - site.r_m;
    p.dz_m = middle.z_m - site.z_m;
    p.fraction = current(a, b);
    total += p.fraction;
  }
  for (TubePart& p : tube) p.fraction = total > 0 ? p.fraction / total : 1.0 / parts;
  return tube;
}

}  // namespace kelm::solver
