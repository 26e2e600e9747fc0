#include "source/openpmd/path_crossings.h"

#include <cmath>

namespace kelm::openpmd {

std::vector<PathCrossing> pathCrossings(std::span<const PathRay> rays, double z_m) {
  std::vector<PathCrossing> out;
  for (const PathRay& ray : rays) {
    const auto& p = ray.points;
    for (std::size_t k = 1; k < p.size(); ++k) {
      const double a = p[k - 1].z_m - z_m, b = p[k].z_m - z_m;
      if (a * b > 0 || a == b) continue;
      const double f = a / (a - b);
      auto at = [&](double PathPoint::*m) { return p[k - 1].*m + (p[k].*m - p[k - 1].*m) * f; };
      const double x = at(&PathPoint::x_m), y = at(&PathPoint::y_m), px = at(&PathPoint::px),
                   py = at(&PathPoint::py), pz = at(&PathPoint::pz);
      const double r = std::hypot(x, y);
      if (pz == 0) break;
      // On the axis the radial direction is the momentum's own.
      const double pr = r > 0 ? (x * px + y * py) / r : std::hypot(px, py);
      const double ptheta = r > 0 ? (x * py - y * px) / r : 0.0;
      out.push_back({ray.id, r, pr / pz, ptheta / pz, ray.current_A});
      break;
    }
  }
  return out;
}

}  // namespace kelm::openpmd
