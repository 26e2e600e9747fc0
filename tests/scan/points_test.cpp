#include <gtest/gtest.h>

#include <filesystem>

#include "source/project_files/file_hash.h"
#include "source/project_files/solve_record.h"
#include "source/scan/scan_points.h"
#include "source/scan/scan_summary.h"
#include "tests/records/temp_directory.h"

namespace kelm::scan {
namespace {

using kelm::testing::TempDirectory;
namespace fs = std::filesystem;

ProjectTemplate gunTemplate(std::string geom, std::string input) {
  ProjectTemplate t;
  t.directory = "tpl";
  t.geomCod = std::move(geom);
  t.klinputDat = std::move(input);
  t.hasKlinput = true;
  return t;
}

TEST(Parameters, EachUsedIsGivenAndEachGivenIsUsed) {
  const struct {
    const char* geom;
    const char* input;
    std::vector<std::string> names;
    const char* error;  // empty: accepted
  } cases[] = {
      {"z ${gap}\n", "v ${volts}\n", {"gap", "volts"}, ""},
      {"z ${gap}\n", "\n\nv ${2*volts}\n", {"gap"}, "tpl/klinput.dat:3:5: parameter volts is not in the sweep"},
      {"z ${gap}\n", "", {"gap", "volts"}, "parameter volts of the sweep is used in neither"},
  };
  for (const auto& c : cases) {
    std::string error;
    const Sweep s{c.names, {std::vector<std::string>(c.names.size(), "1")}};
    const bool ok = checkParameters(gunTemplate(c.geom, c.input), s, error);
    EXPECT_EQ(ok, *c.error == 0) << c.geom << error;
    if (!ok) {
      EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
  }
}

TEST(Points, MadeWithValuesAsWrittenAndManifestReadBack) {
  TempDirectory dir;
  std::string error;
  const Sweep s{{"gap", "volts"}, {{"8.50", "1e4"}, {"9", "2E4"}}};
  ASSERT_TRUE(makePoints(gunTemplate("z ${gap}\n", "v ${volts}\n"), s, "out", error)) << error;
  EXPECT_EQ(TempDirectory::readFile("out/p0001/geom.cod"), "z 8.50\n");
  EXPECT_EQ(TempDirectory::readFile("out/p0002/klinput.dat"), "v 2E4\n");
  const std::string hash = sweepHash(s);
  EXPECT_EQ(TempDirectory::readFile("out/manifest.csv"),
            "directory,gap,volts,sweep-hash\np0001,8.50,1e4," + hash + "\np0002,9,2E4," + hash + "\n");
  // A manifest from before the hash column reads the same.
  for (const std::string old : {"", "directory,gap,volts\np0001,8.50,1e4\np0002,9,2E4\n"}) {
    if (!old.empty()) TempDirectory::writeFile("out/manifest.csv", old);
    Sweep back;
    ASSERT_TRUE(readManifest("out", back, error)) << error;
    EXPECT_EQ(back.names, s.names);
    EXPECT_EQ(back.points, s.points);
  }
}

TEST(Points, NothingIsMadeOnErrorNorOverAnotherDirectory) {
  TempDirectory dir;
  std::string error;
  // The second point's value is missing from the template's view: found before any write.
  EXPECT_FALSE(makePoints(gunTemplate("z ${gap}\n", "${x}"), Sweep{{"gap"}, {{"1"}}}, "out", error));
  EXPECT_FALSE(fs::exists("out"));
  fs::create_directory("mine");
  TempDirectory::writeFile("mine/notes.txt", "keep");
  EXPECT_FALSE(makePoints(gunTemplate("z ${gap}\n", ""), Sweep{{"gap"}, {{"1"}}}, "mine", error));
  EXPECT_NE(error.find("not a scan"), std::string::npos) << error;
  EXPECT_FALSE(fs::exists("mine/p0001"));
}

TEST(Points, ResultsOfTheTemplateAreNotCopied) {
  TempDirectory dir;
  fs::create_directory("tpl");
  for (const char* name : {"geom.dat", "pot.dat", "potmap.dat", "klplt.res", "mag.dat"})
    TempDirectory::writeFile(std::string("tpl/") + name, "x");
  TempDirectory::writeFile("tpl/geom.cod", "z ${gap}\n");
  ProjectTemplate t;
  std::string error;
  ASSERT_TRUE(readTemplate("tpl", t, error)) << error;
  ASSERT_TRUE(makePoints(t, Sweep{{"gap"}, {{"1"}}}, "out", error)) << error;
  EXPECT_TRUE(fs::exists("out/p0001/mag.dat"));  // an input of klinput.dat's magfield
  for (const char* name : {"geom.dat", "pot.dat", "potmap.dat", "klplt.res", "klinput.dat"})
    EXPECT_FALSE(fs::exists(std::string("out/p0001/") + name)) << name;
}

// A point stands only on a record whose every input and result is the file there now.
TEST(PointState, SolvedOnlyFromEveryInputItHoldsNow) {
  TempDirectory dir;
  fs::create_directory("p");
  TempDirectory::writeFile("p/geom.cod", "a");
  TempDirectory::writeFile("p/coil.dat", "b");
  TempDirectory::writeFile("p/pot.dat", "c");
  projectfiles::SolveRecord record;
  record.status = projectfiles::SolveStatus::kNotConverged;
  record.inputs = {{"geom.cod", projectfiles::sha256Hex("a")}, {"coil.dat", projectfiles::sha256Hex("b")},
                   {"klinput.dat", projectfiles::kAbsent}};
  record.results = {{"pot.dat", projectfiles::sha256Hex("c")}};
  const struct {
    const char* file;  // written before the check, or nullptr
    const char* bytes;  // nullptr: the record
    bool solve;
    const char* status;
  } steps[] = {
      {nullptr, "", true, "not solved"},
      {"p/solve-record.csv", nullptr, false, "not-converged"},
      {"p/coil.dat", "B", true, "not solved: inputs changed"},
      {"p/coil.dat", "b", false, "not-converged"},
      {"p/klinput.dat", "", true, "not solved: inputs changed"},  // even an empty one is a change
      {"p/pot.dat", "C", true, "not solved: results incomplete"},
  };
  for (const auto& step : steps) {
    if (step.file) TempDirectory::writeFile(step.file, step.bytes ? step.bytes : projectfiles::recordText(record));
    EXPECT_EQ(needsSolving("p"), step.solve) << step.status;
    EXPECT_EQ(pointStatus("p"), step.status);
  }
  std::string error;
  ASSERT_TRUE(writeState("p", {true, false, "geom.cod:3: bad"}, error)) << error;
  EXPECT_EQ(pointStatus("p"), "failed: geom.cod:3: bad");
}

// Rows are matched by their directory, and only a point that stands has figures: a row lost
// by kelm-export leaves its point without figures, saying so, and moves no other point's.
TEST(Summary, JoinsEachRowToThePointItsDirectoryNamesAndOnlySolvedFigures) {
  const Sweep s{{"gap"}, {{"8"}, {"9"}, {"10"}, {"11"}, {"12"}}};
  const std::string exported =  // p0002 lost
      "directory,trajectories,perveance [uP]\n/o/p0005,7,0.1\n/o/p0001,12,0.5\n/o/p0003,0,0.3\n/o/p0004,12,0.2\n";
  const std::string csv = joinedSummary(
      s, {"solved", "solved", "not-converged", "not solved: inputs changed", "failed: geom.cod:3: bad"}, exported);
  EXPECT_EQ(csv,
            "directory,gap,status,trajectories,perveance [uP]\n"
            "p0001,8,solved,12,0.5\n"
            "p0002,9,solved; no figures,,\n"
            "p0003,10,not-converged,0,0.3\n"
            "p0004,11,not solved: inputs changed,,\n"
            "p0005,12,failed: geom.cod:3: bad,,\n");
}

}  // namespace
}  // namespace kelm::scan
