// The iteration as a whole on the example gun: a converged beam is its own solution, and the
// thread count changes nothing.
#include <gtest/gtest.h>

#include <cmath>

#include "source/solver/geometry/solver_input.h"
#include "tests/solver/beam/test_gun.h"

namespace kelm::solver {
namespace {


AxialMagneticField focusingCoil() {
  const Solenoid coil{40, 20, 25, 2000};
  return AxialMagneticField::fromSolenoids({&coil, 1}, 0, 0.06, 1e-4);
}

BeamSettings gunSettings(int threads) {
  BeamSettings s;
  s.trajectories = 60;
  s.iterations = 60;
  s.tolerance = 1e-5;
  s.threads = threads;
  return s;
}

TEST(BeamIteration, ConvergedBeamResolvedOnceMoreChangesTheCurrentByLessThanOnePerMille) {
  testing::TestGun t;
  ASSERT_TRUE(testing::makeTestGun(testing::kExampleGun, t));
  const AxialMagneticField coil = focusingCoil();
  BeamResult converged;
  std::string error;
  ASSERT_TRUE(solveBeam(t.mesh, t.field, t.cathode, coil, gunSettings(2), {}, nullptr, converged, error)) << error;
  ASSERT_TRUE(converged.converged);
  ASSERT_GT(converged.current_A, 0.0);
  BeamSettings once = gunSettings(2);
  once.iterations = 1;
  once.relaxation = 1.0;
  BeamResult again;
  ASSERT_TRUE(solveBeam(t.mesh, t.field, t.cathode, coil, once, converged.chargeDensity, nullptr, again, error)) << error;
  EXPECT_NEAR(again.current_A / converged.current_A, 1.0, 1e-3);
}

TEST(BeamIteration, ResultsAreTheSameBitForBitWhateverTheThreadCount) {
  testing::TestGun t;
  ASSERT_TRUE(testing::makeTestGun(testing::kExampleGun, t));
  const AxialMagneticField coil = focusingCoil();
  std::string error;
  BeamResult reference;
  BeamSettings settings = gunSettings(1);
  settings.iterations = 4;
  settings.temperature_K = 1300;  // the last two passes with thermal rays
  ASSERT_TRUE(solveBeam(t.mesh, t.field, t.cathode, coil, settings, {}, nullptr, reference, error));
  ASSERT_EQ(reference.raysPerSite, 4);
  for (int threads : {2, 3, 7}) {
    settings.threads = threads;
    BeamResult other;
    ASSERT_TRUE(solveBeam(t.mesh, t.field, t.cathode, coil, settings, {}, nullptr, other, error));
    EXPECT_EQ(other.current_A, reference.current_A) << threads << " threads";
    EXPECT_EQ(other.potential_V, reference.potential_V) << threads << " threads";
  }
}

struct Refusal {
  const char* name;
  double anode_V;
  std::size_t chargeNodes;  // of a resumed charge; 0: none
};

class BeamIterationRefuses : public ::testing::TestWithParam<Refusal> {};

TEST_P(BeamIterationRefuses, WithAReasonAndNoResult) {
  std::string gun = testing::kExampleGun;
  gun.replace(gun.find("anode 10000"), 11, "anode " + std::to_string(GetParam().anode_V));
  testing::TestGun t;
  ASSERT_TRUE(testing::makeTestGun(gun, t));
  const std::vector<double> charge(GetParam().chargeNodes, 0.0);
  BeamResult result;
  std::string error;
  EXPECT_FALSE(solveBeam(t.mesh, t.field, t.cathode, {}, gunSettings(1), charge, nullptr, result, error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(result.trajectories.empty());
}

INSTANTIATE_TEST_SUITE_P(, BeamIterationRefuses,
                         ::testing::Values(Refusal{"AnodeBelowCathode", -5000, 0},
                                           Refusal{"AnodeAtCathode", 0, 0},
                                           Refusal{"ChargeOfAnotherMesh", 10000, 17}),
                         [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace kelm::solver
