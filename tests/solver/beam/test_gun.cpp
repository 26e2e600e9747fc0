#include "tests/solver/beam/test_gun.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "source/solver/geometry/mesh_builder.h"

namespace kelm::solver::testing {

bool makeTestGun(const std::string& geomCod, TestGun& t) {
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

::testing::AssertionResult solved(const TestGun& t, const BeamSettings& settings, BeamResult& result,
                                  const AxialMagneticField& magnetic, const std::vector<double>& charge) {
  std::string error;
  if (solveBeam(t.mesh, t.field, t.cathode, magnetic, settings, charge, nullptr, result, error))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << error;
}

double radiusAt(const Trace& trace, double z_m) {
  const auto& p = trace.points;
  for (std::size_t k = 1; k < p.size(); ++k)
    if (p[k].z_m >= z_m && p[k - 1].z_m < z_m)
      return p[k - 1].r_m + (p[k].r_m - p[k - 1].r_m) * (z_m - p[k - 1].z_m) / (p[k].z_m - p[k - 1].z_m);
  return std::nan("");
}

}  // namespace kelm::solver::testing
