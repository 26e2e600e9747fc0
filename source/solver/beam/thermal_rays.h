#pragma once
// The velocities electrons leave a hot cathode with: Maxwell–Boltzmann at T, each tangential
// component Gaussian with variance kT/m, the normal one as the emitted flux has it, ∝ v·exp(−mv²/2kT),
// whose energy is exponential with mean kT. Taken by a fixed quadrature (Gauss–Hermite in each
// tangential component, Gauss–Laguerre in the normal energy), so that a solve needs no random
// seed and gives the same on any number of threads (docs/method.md, "Thermal velocities").

#include <vector>

namespace kelm::solver {

struct ThermalRay {
  double weight = 1;  // its share of the site's current
  // Momentum / (m c) at the cathode: in the meridional plane along the surface, azimuthal, normal.
  double tangential = 0, azimuthal = 0, normal = 0;
};

// nodes Gauss–Hermite nodes in each tangential component and (nodes + 1) / 2 Gauss–Laguerre
// nodes in the normal energy; one cold ray when the temperature is not above 0.
std::vector<ThermalRay> thermalRays(double temperature_K, int nodes);

// The number of rays thermalRays gives.
int thermalRayCount(double temperature_K, int nodes);

}  // namespace kelm::solver
