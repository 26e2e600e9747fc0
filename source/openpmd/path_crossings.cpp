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

// At most this many crossings are held at once; more planes are swept in blocks.
constexpr std::size_t kMaxHeld = 4u << 20;

}  // namespace

void sweepPathCrossings(std::span<const PathRay> rays, std::span<const double> planes_m,
                        const std::function<void(std::size_t, std::span<const PathCrossing>)>& visit) {
  const std::size_t blockSize = std::max<std::size_t>(1, kMaxHeld / std::max<std::size_t>(rays.size(), 1));
  std::vector<std::vector<PathCrossing>> found;
  std::vector<char> met;  // by plane of the block: the ray's first meeting with it is behind
  for (std::size_t first = 0; first < planes_m.size(); first += blockSize) {
    const std::span<const double> block = planes_m.subspan(first, std::min(blockSize, planes_m.size() - first));
    found.assign(block.size(), {});
    for (const PathRay& ray : rays) {
      met.assign(block.size(), 0);
      const auto& p = ray.points;
      for (std::size_t k = 1; k < p.size(); ++k) {
        const double z1 = p[k - 1].z_m, z2 = p[k].z_m;
        // A step along a plane meets it nowhere in particular; the next step decides.
        if (z1 == z2) continue;
        const auto low = std::lower_bound(block.begin(), block.end(), std::min(z1, z2));
        const auto high = std::upper_bound(low, block.end(), std::max(z1, z2));
        for (auto plane = low; plane != high; ++plane) {
          const std::size_t j = std::size_t(plane - block.begin());
          const double a = z1 - *plane, b = z2 - *plane;
          if (met[j] || a == b) continue;
          met[j] = 1;
          const double f = a / (a - b);
          const Cylindrical u = cylindrical(p[k - 1]), v = cylindrical(p[k]);
          auto at = [f](double from, double to) { return from + (to - from) * f; };
          const double pz = at(u.pz, v.pz), pr = at(u.pr, v.pr), ptheta = at(u.ptheta, v.ptheta);
          if (std::max(std::fabs(pr), std::fabs(ptheta)) < kMaxSlope * std::fabs(pz))
            found[j].push_back({ray.id, at(u.r, v.r), pr / pz, ptheta / pz, ray.current_A});
        }
      }
    }
    for (std::size_t j = 0; j < block.size(); ++j) visit(first + j, found[j]);
  }
}

std::vector<PathCrossing> pathCrossings(std::span<const PathRay> rays, double z_m) {
  std::vector<PathCrossing> out;
  sweepPathCrossings(rays, std::span<const double>(&z_m, 1),
                     [&](std::size_t, std::span<const PathCrossing> c) { out.assign(c.begin(), c.end()); });
  return out;
}

}  // namespace kelm::openpmd
