// Where a solve's current goes, read back from its record: the shares add up to the emitted
// current whichever way the beam ends, and a surface field over klinput.dat's limit is a
// warning the record keeps, not a failure.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "source/project_files/solve_record.h"
#include "source/solver/beam/solve_project.h"
#include "tests/records/temp_directory.h"
#include "tests/solver/beam/test_gun.h"

namespace kelm::solver {
namespace {

struct AccountCase {
  const char* name;
  std::string extraElectrode;  // added to the example gun
  const char* input;
  const char* mainShare;  // the record's key that must carry more than 5 % of the current
  bool overLimit;
};

// A plate below the cathode's potential inside the drift tube turns the beam back; one at the
// anode's with a 0.5 mm hole catches most of it.
const AccountCase kCases[] = {
    {"ThroughTheTube", "", "trajectories 30\niterations 30\nsurface-field limit 100\n", "exit_current [A]", false},
    {"TurnedBackByAMirror", "electrode mirror -3000\n from 0 50\n line 15 50\n line 15 51\n line 0 51\n close\nend\n",
     "trajectories 30\niterations 30\nsurface-field limit 0.5\n", "reflected_current [A]", true},
    {"ApertureCutsTheEdge", "electrode stop 10000\n from 0.5 45\n line 15 45\n line 15 46\n line 0.5 46\n close\nend\n",
     "trajectories 30\niterations 30\n", "intercepted_current [A]:stop", false},
};

class CurrentAccounting : public ::testing::TestWithParam<AccountCase> {};

TEST_P(CurrentAccounting, SharesAddUpToTheEmittedCurrentWithinOnePartInABillion) {
  const AccountCase& c = GetParam();
  kelm::testing::TempDirectory dir;
  kelm::testing::TempDirectory::writeFile("geom.cod", testing::kExampleGun + c.extraElectrode);
  kelm::testing::TempDirectory::writeFile("klinput.dat", c.input);
  const SolveOutcome outcome = solveProject(".", [](const std::string&) { return true; }, 2);
  ASSERT_TRUE(outcome.solved) << outcome.failure;
  EXPECT_EQ(outcome.surfaceWarning.empty(), !c.overLimit);
  projectfiles::SolveRecord record;
  ASSERT_EQ(projectfiles::readRecord(".", record), projectfiles::RecordState::kRead);
  auto figure = [&](const std::string& key) {
    const std::string* value = projectfiles::recordFigure(record, key);
    return value ? std::strtod(value->c_str(), nullptr) : NAN;
  };
  const double emitted = figure("emitted_current [A]");
  ASSERT_GT(emitted, 0);
  double shares = figure("exit_current [A]") + figure("reflected_current [A]") + figure("stalled_current [A]");
  for (const auto& [key, value] : record.figures)
    if (key.starts_with("intercepted_current [A]:")) shares += std::strtod(value.c_str(), nullptr);
  EXPECT_NEAR(shares, emitted, 1e-9 * emitted);
  EXPECT_GT(figure(c.mainShare), 0.05 * emitted) << c.mainShare;
  const std::string* ok = projectfiles::recordFigure(record, "surface_field_ok");
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(*ok, c.overLimit ? "0" : "1");
}

INSTANTIATE_TEST_SUITE_P(, CurrentAccounting, ::testing::ValuesIn(kCases),
                         [](const auto& test) { return std::string(test.param.name); });

// emission none: the field and its surface figures, no beam, and the last solve's klplt.res gone.
TEST(EmissionNone, SolvesTheVacuumFieldOnly) {
  kelm::testing::TempDirectory dir;
  kelm::testing::TempDirectory::writeFile("geom.cod", testing::kExampleGun);
  kelm::testing::TempDirectory::writeFile("klinput.dat", "trajectories 5\niterations 2\n");
  ASSERT_TRUE(solveProject(".", [](const std::string&) { return true; }, 1).beam);
  kelm::testing::TempDirectory::writeFile("klinput.dat", "emission none\n");
  const SolveOutcome outcome = solveProject(".", [](const std::string&) { return true; }, 1);
  ASSERT_TRUE(outcome.solved) << outcome.failure;
  EXPECT_FALSE(outcome.beam);
  projectfiles::SolveRecord record;
  ASSERT_EQ(projectfiles::readRecord(".", record), projectfiles::RecordState::kRead);
  EXPECT_EQ(record.status, projectfiles::SolveStatus::kVacuum);
  EXPECT_NE(projectfiles::recordFigure(record, "surface_field_max [kV/mm]"), nullptr);
  EXPECT_EQ(projectfiles::recordFigure(record, "emitted_current [A]"), nullptr);
  EXPECT_FALSE(std::filesystem::exists("klplt.res"));
}

}  // namespace
}  // namespace kelm::solver
