#pragma once
// A gun from geom.cod text, meshed and with its field solver prepared, for the beam tests.

#include <string>

#include "source/solver/beam/beam_iteration.h"
#include "source/solver/geometry/gun_description.h"

namespace kelm::solver::testing {

struct TestGun {
  GunDescription gun;
  ClassifiedMesh mesh;
  FieldSolver field;
  CathodeShape cathode;
};

// Fails the calling test (and returns false) when the text is not a solvable gun. A gun
// without an emitting segment leaves the cathode for the test to set.
bool makeTestGun(const std::string& geomCod, TestGun& gun);

}  // namespace kelm::solver::testing
