// Build net and Solve on copies of the example project: what they write, what they report on
// the Output window, and that a project they cannot use is left exactly as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "source/program/gun/gun_commands.h"
#include "source/klplot/project/project_data.h"
#include "source/klplot/project/project_readers.h"
#include "source/project_files/solve_record.h"
#include "tests/records/recording_port.h"
#include "tests/records/temp_directory.h"

namespace kelm {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// The project's files, without the solve's bookkeeping: its lock and the record of a failure.
std::map<std::string, std::string> snapshot() {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator("."))
    files[entry.path().filename().string()] = testing::TempDirectory::readFile(entry.path().string());
  files.erase(projectfiles::kLockFile);
  files.erase(projectfiles::kRecordFile);
  return files;
}

bool anyLineStartsWith(const Lines& lines, const std::string& start) {
  for (const auto& line : lines)
    if (line.rfind(start, 0) == 0) return true;
  return false;
}

class GunCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy(fs::path(KELM_EXAMPLES_DIR) / "simple", ".", fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  }
  testing::TempDirectory dir;
  testing::RecordingPort output;
};

TEST_F(GunCommands, BuildNetAndSolveWriteTheProjectFilesAndReport) {
  const std::string description = testing::TempDirectory::readFile("geom.cod");
  const std::string input = testing::TempDirectory::readFile("klinput.dat");
  runBuildNet();
  ASSERT_GE(output.lines.size(), 6u);
  EXPECT_EQ(output.lines[1], " Build net");
  EXPECT_EQ(output.lines[2], " geom.cod: 24 statements read");
  EXPECT_EQ(output.lines[3], " Mesh: 41 x 121 nodes (r x z), cell 0.5 mm (2.0000 nodes per mm), r to 20 mm, z to 60 mm");
  EXPECT_EQ(output.lines[4], " Electrodes: 2 (cathode 0 V, anode 10000 V)");
  EXPECT_TRUE(anyLineStartsWith(output.lines, " geom.dat written: ")) << output.lines[5];

  output.lines.clear();
  klplot::resetOutlineForLoad(klplot::projectData);
  klplot::loadGeometry(klplot::projectData);
  EXPECT_EQ(output.lines, Lines{" File GEOM.DAT loaded"});
  EXPECT_FLOAT_EQ(klplot::projectData.meshScale, 2.0f);

  output.lines.clear();
  fs::remove("pot.dat");
  runSolve();
  EXPECT_EQ(output.lines[1], " Solve");
  EXPECT_EQ(output.lines[5], " klinput.dat: 7 statements read");
  EXPECT_TRUE(anyLineStartsWith(output.lines, " Vacuum field of 4961 nodes solved in "));
  EXPECT_TRUE(anyLineStartsWith(output.lines, " pot.dat written: 9 equipotential levels"));
  EXPECT_TRUE(fs::exists("pot.dat"));
  EXPECT_TRUE(fs::exists("potmap.dat"));
  EXPECT_EQ(testing::TempDirectory::readFile("geom.cod"), description);
  EXPECT_EQ(testing::TempDirectory::readFile("klinput.dat"), input);
}

TEST_F(GunCommands, AProjectTheyCannotUseSaysWhyInOneLineAndKeepsEveryFile) {
  const std::string electrode = "mesh r 10 z 10 cell 1\nelectrode a 0\nfrom 1 1\nline 5 1\nline 5 5\nclose\nend\n";
  const struct {
    const char* name;
    const char* file;  // written over the example's, or removed when text is null
    const char* text;
    void (*command)();
    std::string line;
  } cases[] = {
      {"no geom.cod", "geom.cod", nullptr, runBuildNet, " geom.cod not found in this project: nothing built"},
      {"no geom.cod", "geom.cod", nullptr, runSolve, " geom.cod not found in this project: nothing solved"},
      {"another language", "geom.cod", "* old\nMESH  NR=41  NZ=121  SCALE=2.0\n", runBuildNet,
       " geom.cod:1:1: unknown statement '*'; nothing built"},
      {"overlap", "geom.cod", "mesh r 10 z 10 cell 1\nelectrode a 0\nfrom 1 1\nline 5 1\nline 5 5\nclose\nend\n"
                              "electrode b 9\nfrom 0 0\nline 9 9\nend\n",
       runSolve, " geom.cod:8:1: electrodes 'a' and 'b' at different potentials overlap at r 1 mm, z 1 mm; nothing solved"},
      {"klinput.dat error", "klinput.dat", "levels 1 x\n", runSolve,
       " klinput.dat:1:10: level must be a number, found 'x'; nothing solved"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.text) testing::TempDirectory::writeFile(c.file, c.text);
    else fs::remove(c.file);
    const auto before = snapshot();
    output.lines.clear();
    c.command();
    EXPECT_EQ(output.lines.size(), 4u);
    EXPECT_EQ(output.lines.size() > 2 ? output.lines[2] : "", c.line);
    EXPECT_EQ(snapshot(), before);
    SetUp();
  }
}

}  // namespace
}  // namespace kelm
