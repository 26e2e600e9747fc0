#include "tests/solver/beam/test_gun.h"

#include <gtest/gtest.h>

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

}  // namespace kelm::solver::testing
