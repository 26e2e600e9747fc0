#include "source/openpmd/path_crossings.h"

#include <algorithm>
#include <cmath>

namespace kelm::openpmd {
namespace {

// A point in the cylindrical terms, which vary smoothly along a ring's path where x and y turn.
struct Cylindrical {
  double r = 0, pr = 0, ptheta = 0, pz = 0;
};

Cylindrical cylindrical(const PathPoint& p) {
  const double r = std::hypot(p.x_m, p.y_m);
  // On the axis the radial direction is the momentum's own.
  if (!(r > 0)) return {0, std::hypot(p.px, p.py), 0, p.pz};
  return {r, (p.x_m * p.px + p.y_m * p.py) / r, (p.x_m * p.py - p.y_m * p.px) / r, p.pz};
}

}  // namespace

std::vector<PathCrossing> pathCrossings(std::span<const PathRay> rays, double z_m) {
  std::vector<PathCrossing> out;
  for (const PathRay& ray : rays) {
    const auto& p = ray.points;
    for (std::size_t k = 1; k < p.size(); ++k) {
      const double a = p[k - 1].z_m - z_m, b = p[k].z_m - z_m;
      if (a * b > 0 || a == b) continue;
      const double f = a / (a - b);
      const Cylindrical u = cylindrical(p[k - 1]), v = cylindrical(p[k]);
      auto at = [f](double from, double to) { return from + (to - from) * f; };
      const double pz = at(u.pz, v.pz), pr = at(u.pr, v.pr), ptheta = at(u.ptheta, v.ptheta);
      if (!(std::max(std::fabs(pr), std::fabs(ptheta)) < kMaxSlope * std::fabs(pz))) break;
      out.push_back({ray.id, at(u.r, v.r), pr / pz, ptheta / pz, ray.current_A});
      break;
    }
  }
  return out;
}

}  // namespace kelm::openpmd
