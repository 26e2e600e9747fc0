#pragma once
// Constants (CODATA 2018) and a classical RK4 step for the references the beam tests compute
// themselves, apart from the solver's own.

#include <array>
#include <cstddef>

namespace kelm::solver::testing {

inline constexpr double kEps0 = 8.8541878128e-12, kE = 1.602176634e-19, kM = 9.1093837015e-31, kC = 299792458.0;
inline constexpr double kRest_eV = 510998.95, kBoltzmann_eV_per_K = 8.617333262e-5;

// One step h from t of y' = f(t, y) for a pair y.
template <class F>
void rk4Step(double t, std::array<double, 2>& y, double h, F f) {
  using Pair = std::array<double, 2>;
  auto ahead = [&](const Pair& k, double s) { return Pair{y[0] + s * k[0], y[1] + s * k[1]}; };
  const Pair k1 = f(t, y), k2 = f(t + h / 2, ahead(k1, h / 2)), k3 = f(t + h / 2, ahead(k2, h / 2));
  const Pair k4 = f(t + h, ahead(k3, h));
  for (std::size_t i = 0; i < 2; ++i) y[i] += h / 6 * (k1[i] + 2 * k2[i] + 2 * k3[i] + k4[i]);
}

}  // namespace kelm::solver::testing
