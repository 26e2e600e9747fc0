// kelm-solve as a script runs it: the exit status, one summary line per project in the order
// given, and the same files for any number of jobs. A refused project left as it was is
// solveProject's test, over every kind of refusal.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "source/project_files/project_lock.h"
#include "source/project_files/solve_record.h"
#include "tests/records/program_outcome.h"
#include "tests/records/temp_directory.h"

namespace kelm::solvecli {
namespace {

namespace fs = std::filesystem;
using testing::TempDirectory;

using testing::Outcome;

Outcome run(const std::string& arguments, const std::string& input = "") {
  std::string command = "'" KELM_SOLVE_PROGRAM "' " + arguments;
  if (!input.empty()) command = "printf '" + input + "' | " + command;
  return testing::runCommand(command);
}

void copySimple(const std::string& name) {
  fs::copy(std::string(KELM_EXAMPLES_DIR) + "/simple", name, fs::copy_options::recursive);
}

// Each summary line without its time, which no two runs share.
std::vector<std::string> summaries(const std::string& out) {
  std::vector<std::string> lines;
  for (std::size_t start = 0, end; (end = out.find('\n', start)) != std::string::npos; start = end + 1) {
    const std::string line = out.substr(start, end - start);
    lines.push_back(line.substr(0, line.rfind(", ")));
  }
  return lines;
}

// Failures are reported in order among the solves and touch nothing, and outweigh results
// written without converging, which alone ask for 3. Solves at once must not share the numerical
// libraries' state, so each gives the files of a solve alone. A solve failing after Build net
// keeps the old geom.dat, and a project another solve holds is refused, naming it.
TEST(SolveProgram, FailuresAreReportedInOrderAndJobsChangeNoResult) {
  TempDirectory scratch;
  for (const char* name : {"one", "two", "three", "four", "bad", "short", "late", "held"}) copySimple(name);
  TempDirectory::writeFile("bad/geom.cod", "mesh r 20 z 60 cell 0.5\nelectrode\n");
  TempDirectory::writeFile("short/klinput.dat", "magfield mag.dat\niterations 2\n");
  TempDirectory::writeFile("late/klinput.dat", "iterations 0\n");
  TempDirectory::writeFile("late/geom.dat", "old outline");
  const std::string geometry = TempDirectory::readFile("two/geom.cod");
  const Outcome alone = run("--jobs 1 one short");
  ASSERT_EQ(alone.status, 3) << alone.out << alone.err;
  projectfiles::SolveRecord record;
  ASSERT_EQ(projectfiles::readRecord("short", record), projectfiles::RecordState::kRead);
  EXPECT_EQ(record.status, projectfiles::SolveStatus::kNotConverged);
  EXPECT_EQ(record.iterations, 2);
  projectfiles::ProjectLock lock;
  std::string error;
  ASSERT_TRUE(lock.acquire("held", error)) << error;
  const Outcome o = run("--jobs 3 two bad missing three ./two/geom.cod four short late held");
  EXPECT_EQ(o.status, 1);
  const std::vector<std::string> lines = summaries(o.out);
  ASSERT_EQ(lines.size(), 9u) << o.out;
  const std::string solved = summaries(alone.out)[0].substr(3);
  EXPECT_TRUE(solved.find("iterations") != std::string::npos) << solved;
  for (std::size_t k : {0u, 3u, 5u}) EXPECT_EQ(lines[k].substr(lines[k].find(':')), solved) << lines[k];
  EXPECT_TRUE(lines[1].starts_with("bad: failed: geom.cod:2:")) << lines[1];
  EXPECT_TRUE(lines[1].ends_with("nothing built")) << lines[1];
  EXPECT_EQ(lines[2], "missing: failed: no such project directory");
  EXPECT_EQ(lines[4], "./two/geom.cod: named before: run once");
  EXPECT_TRUE(lines[7].starts_with("late: failed: klinput.dat:1:")) << lines[7];
  EXPECT_TRUE(lines[8].starts_with("held: failed: another solve (process " + std::to_string(::getpid()) + ")"))
      << lines[8];
  EXPECT_EQ(TempDirectory::readFile("late/geom.dat"), "old outline");
  EXPECT_EQ(TempDirectory::readFile("two/geom.cod"), geometry);
  // Its klinput.dat names mag.dat as the field: read, never written.
  EXPECT_EQ(TempDirectory::readFile("two/mag.dat"), TempDirectory::readFile(KELM_EXAMPLES_DIR "/simple/mag.dat"));
  EXPECT_NE(o.err.find("two: Iteration   1:"), std::string::npos) << o.err;
  for (const char* project : {"two", "three", "four"}) {
    for (const char* file : {"klplt.res", "pot.dat", "potmap.dat"}) {
      EXPECT_EQ(TempDirectory::readFile(std::string("one/") + file),
                TempDirectory::readFile(std::string(project) + "/" + file))
          << project << "/" << file;
    }
  }
}

TEST(SolveProgram, ListFromStandardInputSharedAmongTasks) {
  TempDirectory scratch;
  for (const char* name : {"a", "b", "c"}) {
    copySimple(name);
    fs::remove(std::string(name) + "/geom.dat");
  }
  const Outcome o = run("--build-net --shard 1/2 --projects-from -", "a\\nb\\nc\\n");
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_TRUE(o.out.starts_with("b: geom.dat written: ")) << o.out;
  EXPECT_TRUE(fs::exists("b/geom.dat"));
  EXPECT_FALSE(fs::exists("a/geom.dat") || fs::exists("c/geom.dat"));
}

// The bundled diodes against their closed forms: Child's law for the planar one, Langmuir and
// Blodgett's for the spherical one, of which 0.49 of the sphere emits.
TEST(SolveProgram, BundledDiodesCarryTheirTheoreticalCurrents) {
  TempDirectory scratch;
  const double child = 4 * 8.8541878128e-12 / 9 * std::sqrt(2 * 1.602176634e-19 / 9.1093837015e-31);
  const struct {
    const char* example;
    double current_A, tolerance;
  } cases[] = {
      {"planar-diode", child * std::pow(1e4, 1.5) / 1e-4 * M_PI * 25e-6, 0.01},
      {"spherical-diode", child * 4 * M_PI * std::pow(1e3, 1.5) / 0.750 * 0.49, 0.03},
  };
  for (const auto& c : cases) {
    fs::copy(std::string(KELM_EXAMPLES_DIR) + "/" + c.example, c.example);
    const Outcome o = run(std::string("--solve ") + c.example);
    ASSERT_EQ(o.status, 0) << o.out << o.err;
    const std::size_t at = o.out.find("current ");
    ASSERT_NE(at, std::string::npos) << o.out;
    EXPECT_NEAR(std::stod(o.out.substr(at + 8)) / c.current_A, 1.0, c.tolerance) << c.example;
  }
}

}  // namespace
}  // namespace kelm::solvecli
