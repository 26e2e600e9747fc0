// Single electrons in known fields: energy against the potential they fall through, rotation
// against Larmor's rate, the radius against the Larmor circle through the axis.
#include <gtest/gtest.h>

#include <cmath>

#include "source/solver/geometry/solver_input.h"
#include "tests/solver/beam/test_gun.h"

namespace kelm::solver {
namespace {

constexpr double kE = 1.602176634e-19, kM = 9.1093837015e-31, kRest_eV = 510998.95;
constexpr double kMu0 = 1.25663706212e-6;


// The test's own bilinear reading of the node potentials.
double potentialAt(const ClassifiedMesh& mesh, const std::vector<double>& phi, double r, double z) {
  const double x = std::fabs(r) / mesh.cell_m, y = z / mesh.cell_m;
  const int i = std::min(static_cast<int>(x), mesh.nr - 2), j = std::min(static_cast<int>(y), mesh.nz - 2);
  const double u = x - i, v = y - j;
  return (1 - u) * (1 - v) * phi[mesh.node(i, j)] + u * (1 - v) * phi[mesh.node(i + 1, j)] +
         (1 - u) * v * phi[mesh.node(i, j + 1)] + u * v * phi[mesh.node(i + 1, j + 1)];
}

struct EnergyCase {
  const char* name;
  double ampereTurns;  // of a solenoid around the gap
  double startRadius_mm;
};

class EnergyAlongTrajectory : public ::testing::TestWithParam<EnergyCase> {};

TEST_P(EnergyAlongTrajectory, KineticEnergyIsChargeTimesPotentialWithinOnePerMille) {
  testing::TestGun t;
  ASSERT_TRUE(testing::makeTestGun(testing::kExampleGun, t));
  std::vector<double> phi;
  t.field.solve({}, phi);
  const Solenoid coil{30, 20, 25, GetParam().ampereTurns};
  const AxialMagneticField magnetic = AxialMagneticField::fromSolenoids({&coil, 1}, 0, 0.06, 1e-4);
  const PotentialField field(t.mesh, phi);
  ParticleStart start;
  start.r_m = GetParam().startRadius_mm * 1e-3;
  start.z_m = 6.5e-3;
  const double v0 = potentialAt(t.mesh, phi, start.r_m, start.z_m);
  start.cathodeFlux_Wb = magneticFlux(magnetic, start.r_m, 5e-3);
  // The rotation the flux gives already takes its share of the energy.
  const double uth = azimuthalMomentum(magnetic, start.r_m, start.z_m, start.cathodeFlux_Wb);
  start.uz = std::sqrt(std::pow(1 + v0 / kRest_eV, 2) - 1 - uth * uth);
  const Trace trace = traceParticle(field, magnetic, start, TraceSettings{});
  ASSERT_GT(trace.points.size(), 50u);
  EXPECT_NE(trace.end, TraceEnd::kStepLimit);
  for (const TracePoint& p : trace.points) {
    const double fallen = potentialAt(t.mesh, phi, p.r_m, p.z_m);
    ASSERT_NEAR((p.gamma - 1) * kRest_eV, fallen, 1e-3 * fallen) << "at z " << p.z_m * 1e3 << " mm";
  }
}

INSTANTIATE_TEST_SUITE_P(, EnergyAlongTrajectory,
                         ::testing::Values(EnergyCase{"OnAxis", 0, 0.0}, EnergyCase{"NearRim", 0, 3.8},
                                           EnergyCase{"InSolenoid", 3000, 2.0},
                                           EnergyCase{"FluxOnCathode", -3000, 3.0}),
                         [](const auto& test) { return std::string(test.param.name); });

// A field-free mesh inside a long solenoid: the field is uniform over the whole mesh.
ClassifiedMesh freeMesh(int nr, int nz, double cell_m) {
  ClassifiedMesh m;
  m.nr = nr;
  m.nz = nz;
  m.cell_m = cell_m;
  m.electrodeAt.assign(m.nodeCount(), ClassifiedMesh::kFree);
  m.armFraction.assign(m.nodeCount(), {1, 1, 1, 1});
  m.armElectrode.assign(m.nodeCount(), {ClassifiedMesh::kFree, ClassifiedMesh::kFree, ClassifiedMesh::kFree, ClassifiedMesh::kFree});
  return m;
}

struct LarmorCase {
  const char* name;
  double energy_eV;
  double field_T;
};

class LarmorRotation : public ::testing::TestWithParam<LarmorCase> {};

TEST_P(LarmorRotation, AngularVelocityIsEBOverTwoGammaMWithinOnePerMilleAndTheOrbitCrossesTheAxis) {
  const ClassifiedMesh mesh = freeMesh(21, 401, 0.5e-3);
  const std::vector<double> phi(mesh.nodeCount(), 0.0);
  const double length = 2.0, radius = 0.02, ampereTurns = GetParam().field_T * length / kMu0;
  const Solenoid coil{100, length * 1e3, radius * 1e3, ampereTurns};
  // On the axis at the middle of the coil; over the mesh it differs by less than 1e-8.
  const double half = length / 2;
  const double field = kMu0 * ampereTurns / length * half / std::sqrt(half * half + radius * radius);
  const AxialMagneticField magnetic = AxialMagneticField::fromSolenoids({&coil, 1}, 0, 0.2, 2.5e-4);
  ParticleStart start;
  start.r_m = 2e-3;
  start.z_m = 1e-3;
  const double gamma = 1 + GetParam().energy_eV / kRest_eV;
  // All the momentum along z but for the rotation the solenoid's flux gives on entering.
  const double uth = kE * field * start.r_m / (2 * kM * 299792458.0);
  start.uz = std::sqrt(gamma * gamma - 1 - uth * uth);
  const Trace trace = traceParticle(PotentialField(mesh, phi), magnetic, start, TraceSettings{});
  ASSERT_GT(trace.points.size(), 100u);
  const double larmor = kE * field / (2 * gamma * kM);
  bool crossed = false;
  for (const TracePoint& p : trace.points) {
    ASSERT_NEAR(p.thetaDot_per_s, larmor, 1e-3 * larmor) << "at t " << p.t_s;
    // In the frame turning at the Larmor rate the orbit is a line through the axis.
    ASSERT_NEAR(p.r_m, start.r_m * std::cos(larmor * p.t_s), 1e-3 * start.r_m) << "at t " << p.t_s;
    crossed = crossed || p.r_m < -0.5 * start.r_m;
  }
  EXPECT_TRUE(crossed);
}

INSTANTIATE_TEST_SUITE_P(, LarmorRotation,
                         ::testing::Values(LarmorCase{"Slow", 2e3, 0.05}, LarmorCase{"Relativistic", 500e3, 0.3}),
                         [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace kelm::solver
