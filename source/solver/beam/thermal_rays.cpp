#include "source/solver/beam/thermal_rays.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "source/solver/geometry/solver_input.h"
#include "source/solver/physical_constants.h"

namespace kelm::solver {
namespace {

struct Node {
  double x, w;
};

// For the weight exp(−x²/2)/√(2π): the standard normal's rules (Abramowitz & Stegun 25.4.46).
std::vector<Node> hermite(int n) {
  const double s3 = std::sqrt(3.0), s6 = std::sqrt(6.0), s10 = std::sqrt(10.0);
  switch (n) {
    case 1: return {{0, 1}};
    case 2: return {{-1, 0.5}, {1, 0.5}};
    case 3: return {{-s3, 1.0 / 6}, {0, 2.0 / 3}, {s3, 1.0 / 6}};
    case 4: {
      const double a = std::sqrt(3 - s6), b = std::sqrt(3 + s6), wa = 1 / (4 * (3 - s6)), wb = 1 / (4 * (3 + s6));
      return {{-b, wb}, {-a, wa}, {a, wa}, {b, wb}};
    }
    default: {
      const double a = std::sqrt(5 - s10), b = std::sqrt(5 + s10), wa = (7 + 2 * s10) / 60, wb = (7 - 2 * s10) / 60;
      return {{-b, wb}, {-a, wa}, {0, 8.0 / 15}, {a, wa}, {b, wb}};
    }
  }
}

// For the weight exp(−x) on [0, ∞) (Abramowitz & Stegun 25.4.45).
std::vector<Node> laguerre(int n) {
  const double s2 = std::sqrt(2.0);
  switch (n) {
    case 1: return {{1, 1}};
    case 2: return {{2 - s2, (2 + s2) / 4}, {2 + s2, (2 - s2) / 4}};
    default:
      return {{0.41577455678347908, 0.71109300992917302},
              {2.2942803602790417, 0.27851773356924085},
              {6.2899450829374792, 0.010389256501586136}};
  }
}

int tangentialNodes(double temperature_K, int nodes) {
  return temperature_K > 0 ? std::clamp(nodes, 1, kMaxThermalNodes) : 0;
}

}  // namespace

int thermalRayCount(double temperature_K, int nodes) {
  const int n = tangentialNodes(temperature_K, nodes);
  return n == 0 ? 1 : n * n * ((n + 1) / 2);
}

std::vector<ThermalRay> thermalRays(double temperature_K, int nodes) {
  const int n = tangentialNodes(temperature_K, nodes);
  if (n == 0) return {ThermalRay{}};
  // kT/(m c²): the variance of each tangential component of p/(m c), far from relativistic.
  const double thermal = kBoltzmann_eV_per_K * temperature_K / kElectronRestEnergy_eV;
  const double sigma = std::sqrt(thermal);
  std::vector<ThermalRay> rays;
  rays.reserve(static_cast<std::size_t>(thermalRayCount(temperature_K, nodes)));
  for (const Node& t : hermite(n))
    for (const Node& a : hermite(n))
      for (const Node& e : laguerre((n + 1) / 2))
        rays.push_back({t.w * a.w * e.w, sigma * t.x, sigma * a.x, std::sqrt(2 * e.x * thermal)});
  return rays;
}

}  // namespace kelm::solver
