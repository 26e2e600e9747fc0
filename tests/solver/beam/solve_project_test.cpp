// Solve on a project directory, read back through the display's own readers: the trajectories
// within the store's limits and in its units, the solenoids' field in mag.dat, and inputs that
// stay untouched whether Solve succeeds or refuses them.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "source/klplot/project/project_data.h"
#include "source/klplot/project/project_readers.h"
#include "source/solver/beam/solve_project.h"
#include "tests/records/recording_port.h"
#include "tests/records/temp_directory.h"
#include "tests/solver/beam/test_gun.h"

namespace kelm::solver {
namespace {

using kelm::testing::TempDirectory;

const char* kInput = "trajectories 1000\niterations 3\nsolenoid z 40 length 20 radius 25 turns 2000\n";

const SolveProgress kQuiet = [](const std::string&) { return true; };

TEST(SolveProject, ThousandTrajectoriesFitTheDisplayStoreInItsUnits) {
  TempDirectory dir;
  TempDirectory::writeFile("geom.cod", testing::kExampleGun);
  TempDirectory::writeFile("klinput.dat", kInput);
  std::vector<std::string> lines;
  const SolveOutcome outcome = solveProject(".", [&](const std::string& l) { lines.push_back(l); return true; });
  ASSERT_TRUE(outcome.solved) << outcome.failure;
  EXPECT_EQ(outcome.iterations, 3);
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const auto& l) { return l.starts_with("Iteration"); }), 3);

  kelm::testing::RecordingPort port;
  klplot::ProjectData& d = klplot::projectData;
  d.meshScale = 2.0f;  // nodes per mm of a 0.5 mm cell, as geom.dat would say
  d.resultLoaded = d.resultIteration = d.trajCount = 0;
  klplot::loadResult(klplot::projectData);
  ASSERT_EQ(d.resultLoaded, 1) << (port.lines.empty() ? "" : port.lines.back());
  EXPECT_EQ(d.resultIteration, 3);
  ASSERT_EQ(d.trajCount, 1000);
  EXPECT_NEAR(d.totalCurrent, outcome.current_A, 1e-12 * outcome.current_A);
  double lastRadius = 0;
  for (int i = 1; i <= 1000; ++i) {
    ASSERT_GE(d.trajNext(i), 2);
    ASSERT_LE(d.trajNext(i) - 1, 299) << "trajectory " << i;
    EXPECT_DOUBLE_EQ(d.trajZ(i, 1), 5.0);  // on the cathode, in mm
    EXPECT_GT(d.trajR(i, 1), lastRadius);
    EXPECT_LT(d.trajR(i, 1), 4.0);
    lastRadius = d.trajR(i, 1);
    // Child's density of a 10 kV gun of about 30 mm is some mA/mm², far below 1 A/mm².
    EXPECT_GT(d.cathodeDensity(i), 1e-5f);
    EXPECT_LT(d.cathodeDensity(i), 1.0f);
  }
  // Equal shares of the area: every current is the density times π(4 mm)²/1000.
  EXPECT_NEAR(d.trajCurrent(1), d.cathodeDensity(1) * M_PI * 16 / 1000, 1e-4 * d.trajCurrent(1));

  klplot::loadFieldFiles(klplot::projectData);
  ASSERT_GT(d.magCount, 100);
  ASSERT_LE(d.magCount, 1000);
  // The thin-sheet solenoid's middle: μ0·NI/L·(L/2)/√((L/2)² + a²), in gauss.
  const double middle = 1.25663706212e-6 * 2000 / 0.02 * 0.01 / std::sqrt(1e-4 + 0.025 * 0.025) * 1e4;
  EXPECT_NEAR(klplot::fieldAt(40.0f), middle, 1e-3 * middle);
}

struct Refusal {
  const char* name;
  const char* geom;
  const char* input;
  const char* magDat;     // an existing mag.dat, or nullptr
  const char* expected;   // the start of the failure line
};

class SolveProjectRefuses : public ::testing::TestWithParam<Refusal> {};

TEST_P(SolveProjectRefuses, NamingTheFileAndChangingNothing) {
  TempDirectory dir;
  const Refusal& c = GetParam();
  if (c.geom) TempDirectory::writeFile("geom.cod", c.geom);
  TempDirectory::writeFile("klinput.dat", c.input);
  if (c.magDat) TempDirectory::writeFile("mag.dat", c.magDat);
  std::vector<std::string> before;
  for (const auto& e : std::filesystem::directory_iterator(".")) before.push_back(e.path().filename());
  const SolveOutcome outcome = solveProject(".", kQuiet);
  EXPECT_FALSE(outcome.solved);
  EXPECT_TRUE(outcome.failure.starts_with(c.expected)) << outcome.failure;
  std::vector<std::string> after;
  for (const auto& e : std::filesystem::directory_iterator(".")) after.push_back(e.path().filename());
  EXPECT_EQ(after.size(), before.size());
  EXPECT_EQ(TempDirectory::readFile("klinput.dat"), c.input);
  if (c.magDat) {
    EXPECT_EQ(TempDirectory::readFile("mag.dat"), c.magDat);
  }
}

INSTANTIATE_TEST_SUITE_P(
    , SolveProjectRefuses,
    ::testing::Values(
        Refusal{"InputError", testing::kExampleGun, "trajectories 10\niterations 0\n", nullptr, "klinput.dat:2:"},
        Refusal{"TooManyTrajectories", testing::kExampleGun, "trajectories 1001\n", nullptr, "klinput.dat:1:"},
        Refusal{"NoGeometry", nullptr, "trajectories 10\n", nullptr, "geom.cod not found"},
        Refusal{"GeometryError", "mesh r 20 z 60 cell 0.5\nelectrode a 0\n from 0 0\n arc 1 1 radius -1 cw\nend\n",
                "trajectories 10\n", nullptr, "geom.cod:"},
        Refusal{"MissingFieldFile", testing::kExampleGun, "magfield coil.dat\n", nullptr, "coil.dat (klinput.dat's magfield) not found"},
        Refusal{"ShortFieldFile", testing::kExampleGun, "magfield mag.dat\n", "N=     3\nZ=    .0000E+00 B=    .1000E+03\n",
                "mag.dat: ends after 1 of its 3 samples"},
        Refusal{"FieldBackwards", testing::kExampleGun, "magfield mag.dat\n",
                "N=     2\nZ=    .1000E+02 B=    .1000E+03\nZ=    .0000E+00 B=    .1000E+03\n",
                "mag.dat: line 3: the positions must increase"},
        Refusal{"AnodeAtCathode", "mesh r 20 z 60 cell 0.5\nedge zmin held 0\nelectrode c 0\n from 0 0\n line 0 5\n"
                "line 4 5 emitting\n line 4 0\n close\nend\n", "trajectories 10\n", nullptr, "no electrode lies above"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(SolveProject, GivenFieldFileIsUsedAndLeftAsItWas) {
  TempDirectory dir;
  TempDirectory::writeFile("geom.cod", testing::kExampleGun);
  TempDirectory::writeFile("klinput.dat", "trajectories 20\niterations 2\nmagfield mag.dat\n");
  const std::string mag = "N=     2\nZ=    .0000E+00 B=    .5000E+03\nZ=    .6000E+02 B=    .5000E+03\n";
  TempDirectory::writeFile("mag.dat", mag);
  const SolveOutcome outcome = solveProject(".", kQuiet);
  ASSERT_TRUE(outcome.solved) << outcome.failure;
  EXPECT_EQ(TempDirectory::readFile("mag.dat"), mag);
  EXPECT_TRUE(std::filesystem::exists("klplt.res"));
}

}  // namespace
}  // namespace kelm::solver
