// kelm-solve as a script runs it: the exit status, one summary line per project in the order
// given, projects that fail left as they were, and the same files for any number of jobs.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/records/temp_directory.h"

namespace kelm::solvecli {
namespace {

namespace fs = std::filesystem;
using testing::TempDirectory;

struct Outcome {
  int status = -1;
  std::string out, err;
};

Outcome run(const std::string& arguments, const std::string& input = "") {
  std::string command = "'" KELM_SOLVE_PROGRAM "' " + arguments + " >.stdout 2>.stderr";
  if (!input.empty()) command = "printf '" + input + "' | " + command;
  const int status = std::system(command.c_str());
  Outcome o{WIFEXITED(status) ? WEXITSTATUS(status) : -1, TempDirectory::readFile(".stdout"),
            TempDirectory::readFile(".stderr")};
  fs::remove(".stdout");
  fs::remove(".stderr");
  return o;
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

TEST(SolveProgram, HelpAndVersion) {
  TempDirectory scratch;
  const Outcome help = run("--jobs 0 --help");
  EXPECT_EQ(help.status, 0);
  for (const char* word : {"--build-net", "--solve", "--jobs", "--projects-from", "--null", "--shard", "Exit status"})
    EXPECT_NE(help.out.find(word), std::string::npos) << word;
  const Outcome version = run("--version");
  EXPECT_EQ(version.out, "kelm-solve " KELM_VERSION "\n");
  const Outcome usage = run("--shard 3/3 p");
  EXPECT_EQ(usage.status, 2);
  EXPECT_EQ(usage.out, "");
  EXPECT_NE(usage.err.find("kelm-solve: --shard needs"), std::string::npos) << usage.err;
}

TEST(SolveProgram, FailuresAreReportedInOrderAndTouchNothing) {
  TempDirectory scratch;
  copySimple("good");
  copySimple("bad");
  TempDirectory::writeFile("bad/geom.cod", "mesh r 20 z 60 cell 0.5\nelectrode\n");
  const std::string before = TempDirectory::readFile("bad/klplt.res");
  const std::string geometry = TempDirectory::readFile("good/geom.cod");
  const Outcome o = run("--jobs 2 good bad missing ./good/geom.cod");
  EXPECT_EQ(o.status, 1);
  const std::vector<std::string> lines = summaries(o.out);
  ASSERT_EQ(lines.size(), 4u) << o.out;
  EXPECT_TRUE(lines[0].starts_with("good: ") && lines[0].find("iterations") != std::string::npos) << lines[0];
  EXPECT_TRUE(lines[1].starts_with("bad: failed: geom.cod:2:")) << lines[1];
  EXPECT_TRUE(lines[1].ends_with("nothing built")) << lines[1];
  EXPECT_EQ(lines[2], "missing: failed: no such project directory");
  EXPECT_EQ(lines[3], "./good/geom.cod: named before: run once");
  EXPECT_EQ(TempDirectory::readFile("bad/klplt.res"), before);
  EXPECT_EQ(TempDirectory::readFile("good/geom.cod"), geometry);
  EXPECT_NE(o.err.find("good: Iteration   1:"), std::string::npos) << o.err;
}

TEST(SolveProgram, JobsChangeNoResult) {
  TempDirectory scratch;
  for (const char* name : {"one", "two", "three"}) copySimple(name);
  const Outcome alone = run("--solve --jobs 1 one");
  const Outcome shared = run("--solve --jobs 2 two three");
  ASSERT_EQ(alone.status, 0) << alone.out << alone.err;
  ASSERT_EQ(shared.status, 0) << shared.out << shared.err;
  EXPECT_EQ(summaries(alone.out)[0].substr(3), summaries(shared.out)[0].substr(3));
  for (const char* file : {"klplt.res", "pot.dat", "potmap.dat"}) {
    EXPECT_EQ(TempDirectory::readFile(std::string("one/") + file), TempDirectory::readFile(std::string("two/") + file))
        << file;
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
  EXPECT_EQ(run("--projects-from absent.txt").status, 2);
}

}  // namespace
}  // namespace kelm::solvecli
