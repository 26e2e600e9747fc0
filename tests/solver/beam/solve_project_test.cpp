// Solve on a project directory, read back through the display's own readers and the record:
// the trajectories within the store's limits and in its units, the solenoids' field in mag.dat,
// inputs that stay untouched whether Solve succeeds or refuses them, and where the current goes.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "source/klplot/project/project_data.h"
#include "source/klplot/project/project_readers.h"
#include "source/project_files/solve_record.h"
#include "source/solver/beam/result_file.h"
#include "source/solver/beam/solve_project.h"
#include "tests/records/recording_port.h"
#include "tests/records/temp_directory.h"
#include "tests/solver/beam/test_gun.h"

namespace kelm::solver {
namespace {

using kelm::testing::TempDirectory;

// A hot cathode's 4000 rays, of which klplt.res holds 1000.
const char* kInput = "trajectories 1000\ncathode temperature 1300\niterations 3\nsolenoid z 40 length 20 radius 25 turns 2000\n";

const SolveProgress kQuiet = [](const std::string&) { return true; };

// The example gun solved with its beam under one klinput.dat, which is then replaced by the next.
void solveExampleThenChange(const char* input, const char* next) {
  TempDirectory::writeFile("geom.cod", testing::kExampleGun);
  TempDirectory::writeFile("klinput.dat", input);
  const SolveOutcome outcome = solveProject(".", kQuiet, 1);
  ASSERT_TRUE(outcome.solved && outcome.beam) << outcome.failure;
  TempDirectory::writeFile("klinput.dat", next);
}

TEST(SolveProject, ThousandTrajectoriesFitTheDisplayStoreInItsUnits) {
  TempDirectory dir;
  TempDirectory::writeFile("geom.cod", testing::kExampleGun);
  TempDirectory::writeFile("klinput.dat", kInput);
  std::vector<std::string> lines;
  const SolveOutcome outcome = solveProject(".", [&](const std::string& l) { lines.push_back(l); return true; });
  ASSERT_TRUE(outcome.solved) << outcome.failure;
  auto linesStarting = [&](const char* start) {
    return std::count_if(lines.begin(), lines.end(), [&](const auto& l) { return l.starts_with(start); });
  };
  EXPECT_EQ(outcome.iterations, 3);
  EXPECT_EQ(linesStarting("Iteration"), 3);
  EXPECT_FALSE(outcome.converged);
  EXPECT_GT(outcome.finalChange, 0.0);
  EXPECT_EQ(linesStarting("Not converged after 3 iterations (change "), 1);

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

// More rays than klplt.res holds: an even choice, increasing, every thermal direction kept at
// least half as often as an even share would.
TEST(ResultFile, KeepsAnEvenChoiceOfRaysThatTurnsThroughEachSitesRays) {
  for (const std::size_t perSite : {4u, 9u, 25u})
    for (const std::size_t rays : {perSite * 100, perSite * 500, perSite * 750, perSite * 1000}) {
      const std::vector<std::size_t> kept = raysKept(rays, perSite, 1000);
      std::vector<std::size_t> uses(perSite);
      for (std::size_t k : kept) ++uses[k % perSite];
      ASSERT_EQ(kept.size(), std::min<std::size_t>(rays, 1000));
      EXPECT_TRUE(std::adjacent_find(kept.begin(), kept.end(), std::greater_equal<>()) == kept.end() && kept.back() < rays);
      EXPECT_GE(*std::min_element(uses.begin(), uses.end()), kept.size() / perSite / 2) << rays << " rays";
    }
}

struct Refusal {
  const char* name;
  const char* geom;
  const char* input;
  const char* magDat;     // an existing mag.dat, or nullptr
  const char* expected;   // the start of the failure line
  const char* fifo = nullptr;       // made a FIFO of this name
  const char* directory = nullptr;  // made a directory of this name
};

const Refusal kRefusals[] = {
    {"InputError", testing::kExampleGun, "trajectories 10\niterations 0\n", nullptr, "klinput.dat:2:"},
    {"NoGeometry", nullptr, "trajectories 10\n", nullptr, "geom.cod not found"},
    {"GeometryError", "mesh r 20 z 60 cell 0.5\nelectrode a 0\n from 0 0\n arc 1 1 radius -1 cw\nend\n", "trajectories 10\n",
     nullptr, "geom.cod:"},
    {"MissingFieldFile", testing::kExampleGun, "magfield coil.dat\n", nullptr, "coil.dat (klinput.dat's magfield) not found"},
    {"ShortFieldFile", testing::kExampleGun, "magfield mag.dat\n", "N=     3\nZ=    .0000E+00 B=    .1000E+03\n",
     "mag.dat: ends after 1 of its 3 samples"},
    {"FieldBackwards", testing::kExampleGun, "magfield mag.dat\n",
     "N=     2\nZ=    .1000E+02 B=    .1000E+03\nZ=    .0000E+00 B=    .1000E+03\n", "mag.dat: line 3: the positions must increase"},
    {"GeometryIsFifo", nullptr, "trajectories 10\n", nullptr, "geom.cod: a FIFO, not a regular file", "geom.cod"},
    {"FieldFileIsDirectory", testing::kExampleGun, "magfield coil\n", nullptr, "coil: a directory, not a regular file", nullptr,
     "coil"},
    {"AnodeAtCathode", "mesh r 20 z 60 cell 0.5\nedge zmin held 0\nelectrode c 0\n from 0 0\n line 0 5\nline 4 5 emitting\n"
     " line 4 0\n close\nend\n", "trajectories 10\n", nullptr, "no electrode lies above"},
};

// Build net's geom.dat, committed with the results, stays the old one too; the record says why.
TEST(SolveProjectRefuses, NamingTheFileAndChangingNothing) {
  for (const Refusal& c : kRefusals) {
    SCOPED_TRACE(c.name);
    TempDirectory dir;
    if (c.geom) TempDirectory::writeFile("geom.cod", c.geom);
    TempDirectory::writeFile("klinput.dat", c.input);
    TempDirectory::writeFile("geom.dat", "old outline");
    if (c.magDat) TempDirectory::writeFile("mag.dat", c.magDat);
    ASSERT_TRUE(!c.fifo || ::mkfifo(c.fifo, 0644) == 0);
    if (c.directory) std::filesystem::create_directory(c.directory);
    std::set<std::string> before;
    for (const auto& e : std::filesystem::directory_iterator(".")) before.insert(e.path().filename());
    const SolveOutcome outcome = solveProject(".", kQuiet, 1, {{{"geom.dat", "new outline"}}, {}});
    EXPECT_FALSE(outcome.solved);
    EXPECT_TRUE(outcome.failure.starts_with(c.expected)) << outcome.failure;
    std::set<std::string> after;
    for (const auto& e : std::filesystem::directory_iterator(".")) after.insert(e.path().filename());
    after.erase(projectfiles::kRecordFile);
    EXPECT_EQ(after, before);
    EXPECT_EQ(TempDirectory::readFile("geom.dat"), "old outline");
    projectfiles::SolveRecord record;
    ASSERT_EQ(projectfiles::readRecord(".", record), projectfiles::RecordState::kRead);
    EXPECT_EQ(record.status, projectfiles::SolveStatus::kFailed);
    EXPECT_EQ(record.failure, outcome.failure);
    EXPECT_EQ(TempDirectory::readFile("klinput.dat"), c.input);
    EXPECT_EQ(TempDirectory::readFile("mag.dat"), c.magDat ? c.magDat : "");
  }
}

// A solve killed before any rename of its commit, however many went before: the results are
// either all new with their record, or withheld from the display as incomplete, never a mix.
TEST(SolveProject, KillBetweenRenamesLeavesNoMixThatLoads) {
  TempDirectory dir;
  ASSERT_NO_FATAL_FAILURE(
      solveExampleThenChange("trajectories 20\niterations 2\n", "trajectories 30\niterations 2\n"));
  for (std::size_t k = 0;; ++k) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      const SolveCommit commit{{{"geom.dat", "new outline"}}, [k](std::size_t at) {
                                 if (at == k) ::raise(SIGKILL);
                               }};
      solveProject(".", kQuiet, 1, commit);
      std::_Exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    if (!WIFSIGNALED(status)) {  // k is past the last rename: the whole commit went through
      EXPECT_EQ(projectfiles::resultsState("."), projectfiles::ResultsState::kComplete);
      EXPECT_EQ(TempDirectory::readFile("geom.dat"), "new outline");
      EXPECT_GE(k, 5u);
      break;
    }
    EXPECT_EQ(projectfiles::resultsState("."), projectfiles::ResultsState::kIncomplete) << k;
    kelm::testing::RecordingPort port;
    const klplot::ProjectLoad load = klplot::loadProjectFiles(klplot::projectData);
    for (auto file : {klplot::ProjectFile::kGeometry, klplot::ProjectFile::kEquipotentials, klplot::ProjectFile::kResult})
      EXPECT_EQ(load[static_cast<std::size_t>(file)].status, klplot::FileStatus::kIncomplete) << k;
    EXPECT_EQ(klplot::projectData.trajCount, 0);
    EXPECT_EQ(klplot::loadSummary(load), projectfiles::kIncompleteMessage);
  }
}

// The shares add up to the emitted current whichever way the beam ends, and a surface field
// over klinput.dat's limit is a warning the record keeps, not a failure. A plate below the
// cathode's potential inside the drift tube turns the beam back; one at the anode's with a
// 0.5 mm hole catches most of it.
TEST(CurrentAccounting, SharesAddUpToTheEmittedCurrentWithinOnePartInABillion) {
  const struct {
    const char* name;
    std::string extraElectrode;  // added to the example gun
    const char* input;
    const char* mainShare;  // the record's key that must carry more than 5 % of the current
    bool overLimit;
  } cases[] = {
      {"ThroughTheTube", "", "trajectories 30\niterations 30\nsurface-field limit 100\n", "exit_current [A]", false},
      {"TurnedBackByAMirror", "electrode mirror -3000\n from 0 50\n line 15 50\n line 15 51\n line 0 51\n close\nend\n",
       "trajectories 30\niterations 30\nsurface-field limit 0.5\n", "reflected_current [A]", true},
      {"ApertureCutsTheEdge", "electrode stop 10000\n from 0.5 45\n line 15 45\n line 15 46\n line 0.5 46\n close\nend\n",
       "trajectories 30\niterations 30\n", "intercepted_current [A]:stop", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDirectory dir;
    TempDirectory::writeFile("geom.cod", testing::kExampleGun + c.extraElectrode);
    TempDirectory::writeFile("klinput.dat", c.input);
    const SolveOutcome outcome = solveProject(".", kQuiet, 2);
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
}

// emission none: the field and its surface figures, no beam, and the last solve's klplt.res gone.
TEST(EmissionNone, SolvesTheVacuumFieldOnly) {
  TempDirectory dir;
  ASSERT_NO_FATAL_FAILURE(solveExampleThenChange("trajectories 5\niterations 2\n", "emission none\n"));
  const SolveOutcome outcome = solveProject(".", kQuiet, 1);
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
