#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <numbers>

#include "source/scan/slurm_jobs.h"
#include "source/scan/substitution.h"
#include "source/scan/sweep.h"

namespace kelm::scan {
namespace {

TEST(Grid, ExpandsRangesAndListsFirstNameSlowest) {
  const struct {
    const char* grid;
    std::vector<std::string> names;
    std::vector<std::vector<std::string>> points;
  } cases[] = {
      {"gap=8:12:5, volts=10000,20000",
       {"gap", "volts"},
       {{"8", "10000"}, {"8", "20000"}, {"9", "10000"}, {"9", "20000"}, {"10", "10000"},
        {"10", "20000"}, {"11", "10000"}, {"11", "20000"}, {"12", "10000"}, {"12", "20000"}}},
      // Ends exact, steps without binary noise.
      {"x=0:0.3:4", {"x"}, {{"0"}, {"0.1"}, {"0.2"}, {"0.3"}}},
      {"x=-0.1:0.2:4", {"x"}, {{"-0.1"}, {"0"}, {"0.1"}, {"0.2"}}},
      {"x=0.05:1.05:3", {"x"}, {{"0.05"}, {"0.55"}, {"1.05"}}},
      {"y=0:1:4", {"y"}, {{"0"}, {"0.333333333333"}, {"0.666666666667"}, {"1"}}},
      {"x=1:1:1", {"x"}, {{"1"}}},
      // Listed values stay as written.
      {"v=1e4,1.0E4,010,-5,+5", {"v"}, {{"1e4"}, {"1.0E4"}, {"010"}, {"-5"}, {"+5"}}},
      {"a=2:1:2,b=x", {"a", "b"}, {{"2", "x"}, {"1", "x"}}},
  };
  for (const auto& c : cases) {
    Sweep s;
    std::string error;
    ASSERT_TRUE(expandGrid(c.grid, s, error)) << c.grid << ": " << error;
    EXPECT_EQ(s.names, c.names) << c.grid;
    EXPECT_EQ(s.points, c.points) << c.grid;
  }
}

// Names, and the values a sweep file refuses too, are checked as SweepCsv's cases are.
TEST(Grid, RefusesWhatIsNoGrid) {
  const std::pair<const char*, const char*> cases[] = {
      {"8:12:5", "begin with NAME="},
      {"gap=8:12:0", "count"},
      {"gap=8:12:1", "count"},
      {"gap=8:12:2.5", "count"},
      {"gap=8:12", "FIRST:LAST:COUNT"},
      {"gap=8:x:3", "FIRST:LAST:COUNT"},
      {"gap=1 2", "blank"},
      {"gap=${x}", "$"},
      {"a=1:2:1000,b=1:2:1000", "more than"},
      {"gap=1,\nvolts=2", "control character"},
      {"x=1e308:-1e308:3", "beyond the largest number"},
      {"x=0:inf:3", "finite numbers"},
      {"gap=28#", "#"},
      {"gap=1/2", "/"},
      {"gap=3*1", "*"},
      {"gap='1'", "quote"},
      {"gap=1e999", "no finite number"},
      {"gap=nan", "no finite number"},
      {"gap=@SUM", "begins with @"},
      {"gap=-cmd", "begins with -"},
  };
  for (const auto& [grid, why] : cases) {
    Sweep s;
    std::string error;
    EXPECT_FALSE(expandGrid(grid, s, error)) << grid;
    EXPECT_NE(error.find(why), std::string::npos) << grid << ": " << error;
  }
}

TEST(SweepCsv, ReadsRowsAndNamesTheLineOfEachFault) {
  Sweep s;
  std::string error;
  // As written by hand, and as a spreadsheet saves it: a byte-order mark, quotes, CRLF.
  for (const char* text :
       {"gap, volts\r\n\n8,1e4\n 9 ,2e4\n", "\xEF\xBB\xBF\"gap\",\"volts\"\r\n8,1e4\r\n\"9\",2e4\r\n"}) {
    ASSERT_TRUE(readSweepCsv(text, "s.csv", s, error)) << error;
    EXPECT_EQ(s.names, (std::vector<std::string>{"gap", "volts"}));
    EXPECT_EQ(s.points, (std::vector<std::vector<std::string>>{{"8", "1e4"}, {"9", "2e4"}}));
  }
  const std::pair<const char*, const char*> cases[] = {
      {"", "s.csv: no header"},
      {"gap\n", "s.csv: no points"},
      {"gap,volts\n8\n", "s.csv:2: 1 values for 2 parameters"},
      {"gap,volts\n8,1\n9,2,3\n", "s.csv:3: 3 values"},
      {"gap,volts\n8,=1+2\n", "s.csv:2: parameter volts: a value that begins with ="},
      {"gap,volts\n8,\"1\n", "s.csv: line 2: a quoted cell without its closing quote"},
      {"gap,volts\n\n8,\n", "s.csv:3: parameter volts: an empty value"},
      {"gap,gap\n1,2\n", "s.csv:1: parameter gap given twice"},
      {"gap,vo lts\n1,2\n", "s.csv:1: \"vo lts\" is not a parameter name"},
  };
  for (const auto& [text, why] : cases) {
    EXPECT_FALSE(readSweepCsv(text, "s.csv", s, error)) << text;
    EXPECT_NE(error.find(why), std::string::npos) << text << ": " << error;
  }
}

TEST(Substitution, ReplacesParametersComputesExpressionsAndPlacesFaults) {
  const std::map<std::string, std::string> values{{"gap", "8.50"}, {"v", "1e4"}, {"deg", "60"}, {"word", "x"}};
  std::string out, error;
  ASSERT_TRUE(substituted("a $ b ${gap}\n$gap ${v}${ gap }\n", "g.cod", values, out, error)) << error;
  EXPECT_EQ(out, "a $ b 8.50\n$gap 1e48.50\n");
  // Results must read back exactly: the shortest round-trip text of the double computed here.
  const std::pair<const char*, double> computed[] = {
      {"${gap + 2*v}", 8.5 + 2e4},
      {"${2*cos(deg*pi/180)}", 2 * std::cos(60 * std::numbers::pi / 180)},
      {"${sqrt(gap)/3}", std::sqrt(8.5) / 3},
      {"${v^-3}", std::pow(1e4, -3)},
  };
  for (const auto& [text, expected] : computed) {
    ASSERT_TRUE(substituted(text, "g.cod", values, out, error)) << text << error;
    EXPECT_EQ(std::strtod(out.c_str(), nullptr), expected) << text << " gave " << out;
    EXPECT_EQ(out, shortestText(expected));
  }
  const std::pair<const char*, const char*> faults[] = {
      {"x\ny ${other}\n", "g.cod:2:5: parameter other is not in the sweep"},
      {"x\n\ny ${gap\n}\n", "g.cod:3:3: ${ without } on its line"},
      {"${}", "g.cod:1:3: ${} holds no expression"},
      {"ab ${gap + }", "g.cod:1:12:"},
      {"${gap/(deg-60)}", "g.cod:1:3: ${gap/(deg-60)} is no finite number here"},
      {"${sqrt(-gap)}", "is no finite number here"},
      {"${word*2}", "g.cod:1:3: parameter word is \"x\", no number to compute with"},
      {"${gap+other}", "g.cod:1:3: parameter other is not in the sweep"},
  };
  for (const auto& [text, why] : faults) {
    EXPECT_FALSE(substituted(text, "g.cod", values, out, error)) << text;
    EXPECT_NE(error.find(why), std::string::npos) << text << ": " << error;
  }
}

TEST(Slurm, ScriptsSplitThePointsIntoAnArrayWithItsLimit) {
  const struct {
    std::size_t points;
    int running, maxTasks;
    const char* array;
    const char* shard;
  } cases[] = {
      {6, 100, 1000, "--array=1-6%6", "/6\""},
      {6, 2, 1000, "--array=1-6%2", "/6\""},
      {2500, 8, 1000, "--array=1-1000%8", "/1000\""},
  };
  for (const auto& c : cases) {
    const SlurmScripts s = slurmScripts("/bin/kelm scan", "/o/it's", c.points, c.running, {"--range", "4:8"}, c.maxTasks);
    EXPECT_NE(s.array.find(c.array), std::string::npos) << s.array;
    EXPECT_NE(s.array.find(c.shard), std::string::npos) << s.array;
    // Paths with spaces and quotes reach the program as they are.
    EXPECT_NE(s.array.find("exec '/bin/kelm scan' --shard"), std::string::npos) << s.array;
    EXPECT_NE(s.merge.find("--merge '--range' '4:8' '/o/it'\\''s'"), std::string::npos) << s.merge;
  }
  std::string error;
  EXPECT_FALSE(usableInScript("/o/a\\b", error));
  EXPECT_FALSE(usableInScript("/o/a\nb", error));
}

TEST(Slurm, JobsThatCannotStartAreFound) {
  const std::pair<const char*, const char*> cases[] = {
      {"7_1|RUNNING|None\n7_[2-3]|PENDING|Resources\n8|PENDING|Dependency\n", ""},
      {"7_1|PENDING|launch failed requeued held\n8|PENDING|Dependency\n",
       "job 7_1 PENDING (launch failed requeued held)"},
      {"7_1|FAILED|NonZeroExitCode\n8|PENDING|DependencyNeverSatisfied\n",
       "job 7_1 FAILED (NonZeroExitCode); job 8 PENDING (DependencyNeverSatisfied)"},
  };
  for (const auto& [answer, found] : cases) EXPECT_EQ(jobsThatCannotStart(answer), found) << answer;
}

TEST(Slurm, JobIdOfSbatchParsable) {
  const std::pair<const char*, const char*> cases[] = {
      {"42\n", "42"}, {"42;cluster\n", "42"}, {"42", "42"}, {"", ""}, {"sbatch: error\n", ""}, {"42x\n", ""},
  };
  for (const auto& [answer, id] : cases) EXPECT_EQ(parsedJobId(answer), id) << answer;
}

}  // namespace
}  // namespace kelm::scan
