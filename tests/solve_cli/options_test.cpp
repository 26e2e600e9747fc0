// kelm-solve's command line: its own options and faults.
#include <gtest/gtest.h>

#include "source/solve_cli/solve_options.h"

namespace kelm::solvecli {
namespace {

CommandLine parse(std::vector<const char*> arguments) {
  arguments.insert(arguments.begin(), "kelm-solve");
  return parseCommandLine(static_cast<int>(arguments.size()), arguments.data());
}

// The faults of --jobs, --shard and the project list, and help winning over them, are the
// toolkit's, tried on every program in tests/command_line_tools.
TEST(SolveOptions, UsageErrorsSayWhatIsWrong) {
  const std::pair<std::vector<const char*>, const char*> cases[] = {
      {{}, "no PROJECT given"},
      {{"--solve", "--solve", "p"}, "--solve given twice"},
      {{"--build-net=1", "p"}, "--build-net takes no value"},
      {{"--screens", "20,,60", "p"}, "--screens needs positions in mm separated by commas, not \"20,,60\""},
      {{"--screens", "1e9", "p"}, "--screens needs positions in mm separated by commas, not \"1e9\""},
  };
  for (const auto& [arguments, says] : cases) {
    const CommandLine line = parse(arguments);
    EXPECT_EQ(line.request, Request::kUsageError) << says;
    EXPECT_EQ(line.error, says);
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
  EXPECT_EQ(parse({"--screens", "-5,20.5", "a"}).options.screens_mm, (std::vector<double>{-5, 20.5}));
  EXPECT_EQ(parse({"--bogus", "--version"}).request, Request::kVersion);
}

}  // namespace
}  // namespace kelm::solvecli
