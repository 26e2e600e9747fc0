// kelm-solve's command line: what each bad line says, and how a project list is read and
// shared among array tasks.
#include <gtest/gtest.h>

#include <set>

#include "source/solve_cli/solve_options.h"

namespace kelm::solvecli {
namespace {

CommandLine parse(std::vector<const char*> arguments) {
  arguments.insert(arguments.begin(), "kelm-solve");
  return parseCommandLine(static_cast<int>(arguments.size()), arguments.data());
}

TEST(SolveOptions, UsageErrorsSayWhatIsWrong) {
  struct Case {
    std::vector<const char*> arguments;
    const char* says;
  } cases[] = {
      {{}, "no PROJECT given"},
      {{"--bogus", "p"}, "unknown option \"--bogus\""},
      {{"--jobs", "0", "p"}, "--jobs needs a whole number from 1 to 256, not \"0\""},
      {{"--jobs=2x", "p"}, "--jobs needs a whole number"},
      {{"--jobs=99999999999", "p"}, "--jobs needs a whole number"},
      {{"p", "--jobs"}, "--jobs needs a value"},
      {{"--shard", "2/2", "p"}, "--shard needs K/N with 0 <= K < N, not \"2/2\""},
      {{"--shard", "-1/3", "p"}, "--shard needs K/N"},
      {{"--shard", "1", "p"}, "--shard needs K/N"},
      {{"--shard", "0/0", "p"}, "--shard needs K/N"},
      {{"--null", "p"}, "--null goes with --projects-from"},
      {{"--projects-from", "", "p"}, "--projects-from needs a file name"},
      {{"--projects-from", "a", "--projects-from", "b"}, "--projects-from is given twice"},
      {{"--jobs", "1\n2", "p"}, "not \"1?2\""},
  };
  for (const Case& c : cases) {
    const CommandLine line = parse(c.arguments);
    EXPECT_EQ(line.request, Request::kUsageError) << c.says;
    EXPECT_NE(line.error.find(c.says), std::string::npos) << line.error;
  }
}

TEST(SolveOptions, StepsProjectsAndSharesAsGiven) {
  const CommandLine both = parse({"a", "--jobs=3", "--shard", "1/4", "--", "--solve"});
  ASSERT_EQ(both.request, Request::kSolve) << both.error;
  EXPECT_EQ(both.options.projects, (std::vector<std::string>{"a", "--solve"}));
  EXPECT_TRUE(both.options.runsBuildNet() && both.options.runsSolve());
  EXPECT_EQ(both.options.jobs, 3);
  EXPECT_EQ(both.options.shard, 1);
  EXPECT_EQ(both.options.shards, 4);
  const CommandLine solveOnly = parse({"--solve", "a"});
  EXPECT_TRUE(!solveOnly.options.runsBuildNet() && solveOnly.options.runsSolve());
  const CommandLine netOnly = parse({"--build-net", "--projects-from", "-", "--null"});
  EXPECT_EQ(netOnly.request, Request::kSolve) << netOnly.error;
  EXPECT_TRUE(netOnly.options.runsBuildNet() && !netOnly.options.runsSolve());
  EXPECT_EQ(parse({"--jobs", "0", "--help"}).request, Request::kHelp);
  EXPECT_EQ(parse({"--bogus", "--version"}).request, Request::kVersion);
}

TEST(SolveOptions, ProjectListsReadAsWritten) {
  using namespace std::string_literals;
  struct Case {
    std::string text;
    bool nul;
    std::vector<std::string> names;
  } cases[] = {
      {"a\nb c\n\n", false, {"a", "b c"}},
      {"a\r\nb", false, {"a", "b"}},
      {"a\nb\0"s, true, {"a\nb"}},
      {"x\0\0y"s, true, {"x", "y"}},
      {"", false, {}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> names;
    std::string error;
    EXPECT_TRUE(readProjectList(c.text, c.nul, names, error)) << error;
    EXPECT_EQ(names, c.names);
  }
  std::vector<std::string> names;
  std::string error;
  EXPECT_FALSE(readProjectList("a\nb\0c\n"s, false, names, error));
  EXPECT_NE(error.find("line 2"), std::string::npos) << error;
}

TEST(SolveOptions, ShardsTakeEveryProjectOnce) {
  const std::vector<std::string> names{"0", "1", "2", "3", "4", "5", "6"};
  for (int shards : {1, 2, 3, 7, 9}) {
    std::multiset<std::string> taken;
    for (int k = 0; k < shards; ++k) {
      for (const std::string& n : shardOf(names, k, shards)) {
        EXPECT_EQ(std::stoi(n) % shards, k);
        taken.insert(n);
      }
    }
    EXPECT_EQ(taken, std::multiset<std::string>(names.begin(), names.end())) << shards;
  }
}

}  // namespace
}  // namespace kelm::solvecli
