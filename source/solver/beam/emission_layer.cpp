#include "source/solver/beam/emission_layer.h"

#include <algorithm>
#include <cmath>

#include "source/solver/physical_constants.h"

namespace kelm::solver {

double childConstant() {
  return 4.0 * kVacuumPermittivity_F_per_m / 9.0 * std::sqrt(2.0 * kElementaryCharge_C / kElectronMass_kg);
}

double childDensity(double layerPotential_V, double depth_m) {
  if (!(layerPotential_V > 0) || !(depth_m > 0)) return 0.0;
  return childConstant() * std::pow(layerPotential_V, 1.5) / (depth_m * depth_m);
}

double momentumAfter(double potential_V) {
  const double gamma = 1.0 + std::max(potential_V, 0.0) / kElectronRestEnergy_eV;
  return std::sqrt(gamma * gamma - 1.0);
}

LayerStep layerStep(int k) {
  const double t = (k + 0.5) / kLayerSteps;
  return {t * t * t, 1.0 / kLayerSteps};
}

double layerTransitTime(double layerPotential_V, double depth_m) {
  const double u = momentumAfter(layerPotential_V);
  const double v = kSpeedOfLight_m_per_s * u / std::sqrt(1.0 + u * u);
  return v > 0 ? 3.0 * depth_m / v : 0.0;
}

}  // namespace kelm::solver
