// The iteration as a whole on the example gun: a converged beam is its own solution, and the
// thread count changes nothing.
#include <gtest/gtest.h>

#include <cmath>

#include "source/solver/geometry/solver_input.h"
#include "tests/solver/beam/test_gun.h"

namespace kelm::solver {
namespace {

BeamSettings gunSettings(int threads) {
  BeamSettings s;
  s.trajectories = 60;
  s.iterations = 60;
  s.tolerance = 1e-5;
  s.threads = threads;
  return s;
}

// The example gun in the field of a focusing coil.
class BeamIteration : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(testing::makeTestGun(testing::kExampleGun, t)); }
  testing::TestGun t;
  const Solenoid solenoid{40, 20, 25, 2000};
  const AxialMagneticField coil = AxialMagneticField::fromSolenoids({&solenoid, 1}, 0, 0.06, 1e-4);
};

TEST_F(BeamIteration, ConvergedBeamResolvedOnceMoreChangesTheCurrentByLessThanOnePerMille) {
  BeamResult converged, again;
  ASSERT_TRUE(testing::solved(t, gunSettings(2), converged, coil));
  ASSERT_TRUE(converged.converged);
  ASSERT_GT(converged.current_A, 0.0);
  BeamSettings once = gunSettings(2);
  once.iterations = 1;
  once.relaxation = 1.0;
  ASSERT_TRUE(testing::solved(t, once, again, coil, converged.chargeDensity));
  EXPECT_NEAR(again.current_A / converged.current_A, 1.0, 1e-3);
}

TEST_F(BeamIteration, ResultsAreTheSameBitForBitWhateverTheThreadCount) {
  BeamResult reference;
  BeamSettings settings = gunSettings(1);
  settings.iterations = 4;
  settings.temperature_K = 1300;  // the last two passes with thermal rays
  ASSERT_TRUE(testing::solved(t, settings, reference, coil));
  ASSERT_EQ(reference.raysPerSite, 4);
  for (int threads : {2, 3, 7}) {
    settings.threads = threads;
    BeamResult other;
    ASSERT_TRUE(testing::solved(t, settings, other, coil));
    EXPECT_EQ(other.current_A, reference.current_A) << threads << " threads";
    EXPECT_EQ(other.potential_V, reference.potential_V) << threads << " threads";
  }
}

// A gun that draws no beam, or a resumed charge of another mesh.
TEST(BeamIterationRefuses, WithAReasonAndNoResult) {
  const struct {
    const char* name;
    double anode_V;
    std::size_t chargeNodes;  // of a resumed charge; 0: none
  } cases[] = {{"AnodeBelowCathode", -5000, 0}, {"AnodeAtCathode", 0, 0}, {"ChargeOfAnotherMesh", 10000, 17}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string gun = testing::kExampleGun;
    gun.replace(gun.find("anode 10000"), 11, "anode " + std::to_string(c.anode_V));
    testing::TestGun t;
    ASSERT_TRUE(testing::makeTestGun(gun, t));
    BeamResult result;
    std::string error;
    EXPECT_FALSE(solveBeam(t.mesh, t.field, t.cathode, {}, gunSettings(1), std::vector<double>(c.chargeNodes), nullptr,
                           result, error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(result.trajectories.empty());
  }
}

}  // namespace
}  // namespace kelm::solver
