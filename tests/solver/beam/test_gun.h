#pragma once
// For the beam tests: a gun from geom.cod text, meshed and with its field solver prepared, and
// the constants (CODATA 2018) and RK4 step of the references they compute apart from the solver.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <string>

#include "source/solver/beam/beam_iteration.h"
#include "source/solver/geometry/gun_description.h"
#include "source/solver/geometry/mesh_builder.h"

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

// The example gun: a flat cathode of 4 mm radius in a 45° focusing electrode at 0 V, an
// anode plate at 10 kV with a 3 mm aperture and a drift tube, on a 0.5 mm mesh.
inline constexpr const char* kExampleGun =
    "mesh r 20 z 60 cell 0.5\nedge zmin held 0\nedge rmax open\nedge zmax open\n"
    "electrode cathode 0\n from 0 0\n line 0 5\n line 4 5 emitting\n line 11 12\n line 12 12\n"
    " line 5 5\n line 20 5\n line 20 0\n close\nend\n"
    "electrode anode 10000\n from 3 35\n line 20 35\n line 20 60\n line 19 60\n line 19 36\n"
    " line 3 36\n close\nend\n";

struct TestGun {
  GunDescription gun;
  ClassifiedMesh mesh;
  FieldSolver field;
  CathodeShape cathode;
};

// Fails the calling test (and returns false) when the text is not a solvable gun. A gun
// without an emitting segment leaves the cathode for the test to set.
inline bool makeTestGun(const std::string& geomCod, TestGun& t) {
  Diagnostic d;
  if (!parseGunDescription(geomCod, t.gun, d) || !buildMesh(t.gun, t.mesh, d)) {
    ADD_FAILURE() << formatDiagnostic("geom.cod", d);
    return false;
  }
  std::string error;
  if (!t.field.prepare(t.mesh, error) ||
      (t.gun.cathode.shape != CathodeSurface::Shape::kNone && !cathodeOf(t.gun, t.mesh, t.cathode, error))) {
    ADD_FAILURE() << error;
    return false;
  }
  return true;
}

// solveBeam on the gun from no charge or the given one; a refusal carries the solver's reason.
inline ::testing::AssertionResult solved(const TestGun& t, const BeamSettings& settings, BeamResult& result,
                                         const AxialMagneticField& magnetic = {}, const std::vector<double>& charge = {}) {
  std::string error;
  if (solveBeam(t.mesh, t.field, t.cathode, magnetic, settings, charge, nullptr, result, error))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << error;
}

// The radius where a trajectory first reaches the plane z, interpolated; NaN when it does not.
inline double radiusAt(const Trace& trace, double z_m) {
  const auto& p = trace.points;
  for (std::size_t k = 1; k < p.size(); ++k)
    if (p[k].z_m >= z_m && p[k - 1].z_m < z_m)
      return p[k - 1].r_m + (p[k].r_m - p[k - 1].r_m) * (z_m - p[k - 1].z_m) / (p[k].z_m - p[k - 1].z_m);
  return std::nan("");
}

}  // namespace kelm::solver::testing
