#include "source/solver/beam/emission_layer.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "source/solver/physical_constants.h"

namespace kelm::solver {

double childConstant() {
  return 4.0 * kVacuumPermittivity_F_per_m / 9.0 * std::sqrt(2.0 * kElementaryCharge_C / kElectronMass_kg);
}

double childDensity(double layerPotential_V, double depth_m) {
  if (!(layerPotential_V > 0) || !(depth_m > 0)) return 0.0;
  return childConstant() * std::pow(layerPotential_V, 1.5) / (depth_m * depth_m);
}

double childGap(double depth_m, double radius_m) {
  if (!(radius_m > 0)) return depth_m;
  const double g = std::log1p(-std::min(depth_m / radius_m, 0.5));
  return radius_m * std::fabs(g * (1 + g * (-0.3 + g * (0.075 + g * -0.0143182))));
}

double childPotential(double density, double depth_m) {
  if (!(density > 0) || !(depth_m > 0)) return 0.0;
  return std::cbrt(std::pow(density * depth_m * depth_m / childConstant(), 2));
}

double limitedDensity(double temperatureLimit, double spaceChargeLimit) {
  if (!(temperatureLimit > 0) || !(spaceChargeLimit > 0)) return 0.0;
  // In ratio form, so that no power overflows whatever the limits.
  const double low = std::min(temperatureLimit, spaceChargeLimit), high = std::max(temperatureLimit, spaceChargeLimit);
  return low * std::pow(1.0 + std::pow(low / high, kEmissionBlend), -1.0 / kEmissionBlend);
}

double thermionicDensity(double temperature_K, double workFunction_eV, double richardson, double field) {
  const double lowering_eV = std::sqrt(std::max(field, 0.0) * kElementaryCharge_C /
                                       (4 * std::numbers::pi * kVacuumPermittivity_F_per_m));
  const double exponent = -(workFunction_eV - lowering_eV) / (kBoltzmann_eV_per_K * temperature_K);
  return std::max(richardson * temperature_K * temperature_K * std::exp(std::min(exponent, 0.0)),
                  std::numeric_limits<double>::min());
}

double vacuumEstimate(double layerPotential_V, double depth_m, double voltage_V) {
  if (!(layerPotential_V > 0) || !(voltage_V > 0)) return 0.0;
  const double gap = depth_m * voltage_V / std::min(layerPotential_V, voltage_V);
  return childDensity(voltage_V, gap);
}

double consistentDensity(double used, double layer_V, double vacuumLayer_V, double depth_m, double temperatureLimit) {
  auto emitted = [&](double potential_V) {
    const double child = childDensity(potential_V, depth_m);
    return temperatureLimit > 0 ? limitedDensity(temperatureLimit, child) : child;
  };
  const double lowering = vacuumLayer_V - layer_V;
  if (!(used > 0) || !(lowering > 0)) return emitted(layer_V);
  double low = 0, high = emitted(vacuumLayer_V);
  for (int k = 0; k < 100 && high - low > 1e-12 * high; ++k) {
    const double mid = (low + high) / 2;
    (emitted(vacuumLayer_V - lowering * mid / used) > mid ? low : high) = mid;
  }
  return (low + high) / 2;
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
