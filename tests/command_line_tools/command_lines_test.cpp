// kelm-export, kelm-solve and kelm-scan given the same bad command line: each exits with 2 and
// one line, worded alike, and reads its project list alike; help and version without a display;
// the CSV they share.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "source/command_line_tools/csv.h"
#include "source/command_line_tools/option_values.h"
#include "source/command_line_tools/project_list.h"
#include "tests/records/program_outcome.h"
#include "tests/records/temp_directory.h"

namespace kelm::cli {
namespace {

using testing::TempDirectory;

std::string shellWord(const std::string& word) {
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// The display taken away, so that anything that starts Qt other than offscreen fails.
testing::Outcome run(const std::string& program, const std::vector<std::string>& arguments) {
  std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb " KELM_BIN_DIR "/" + program;
  for (const std::string& a : arguments) command += " " + shellWord(a);
  return testing::runCommand(command + " </dev/null");
}

// Each program with operands that are right for it, so that only the case's words are wrong.
struct Program {
  const char* name;
  std::vector<std::string> operands;
  bool readsLists;
  const char* ownWord;  // in its help and no other's
};
const Program kPrograms[] = {
    {"kelm-export", {"p", "--summary-csv", "s.csv"}, true, "emittance_core90_rms_x"},
    {"kelm-solve", {"p"}, true, "--build-net"},
    {"kelm-scan", {"template", "a=1", "out"}, false, "--make-only"},
};

void expectUsageError(const Program& program, std::vector<std::string> arguments, const std::string& says) {
  arguments.insert(arguments.begin(), program.operands.begin(), program.operands.end());
  const testing::Outcome o = run(program.name, arguments);
  EXPECT_EQ(o.status, kUsageStatus) << program.name << ": " << says << "\n" << o.err;
  EXPECT_EQ(o.err, std::string(program.name) + ": " + says + " (see " + program.name + " --help)\n");
}

// Project lists are read only by kelm-export and kelm-solve.
TEST(CommandLines, TheSameFaultGetsTheSameAnswerFromEachProgram) {
  TempDirectory scratch;
  TempDirectory::writeFile("nul-in-lines", std::string("a\n\0ex/simple\n", 13));
  std::filesystem::create_directory("a-directory");
  const std::string jobs = "--jobs needs a whole number from 1 to 256, not ";
  const std::string shard = "--shard needs K/N, task K of N counted from 0 (0 <= K < N <= 1000000), not ";
  const struct {
    std::vector<std::string> arguments;
    std::string says;
    bool list = false;  // a fault of the project list
  } cases[] = {
      {{"--jobs", "1", "--jobs", "2"}, "--jobs given twice"},
      {{"--jobs", "0"}, jobs + "\"0\""},
      {{"--jobs=2x"}, jobs + "\"2x\""},
      {{"--jobs=99999999999"}, jobs + "\"99999999999\""},
      {{"--jobs="}, jobs + "\"\""},
      {{"--jobs", "1\n2"}, jobs + "\"1\\x0A2\""},
      {{"--jobs"}, "--jobs needs a value"},
      {{"--shard", "3/2"}, shard + "\"3/2\""},
      {{"--shard", "-1/3"}, shard + "\"-1/3\""},
      {{"--shard", "1"}, shard + "\"1\""},
      {{"--shard", "0/0"}, shard + "\"0/0\""},
      {{"--bogus=1"}, "unknown option --bogus"},
      {{"--jobs", "1", "--\x01"}, "unknown option --\\x01"},
      {{"--projects-from", "a-directory"}, "cannot read the project list a-directory: Is a directory", true},
      {{"--projects-from", "absent"}, "cannot read the project list absent: No such file or directory", true},
      {{"--projects-from", "nul-in-lines"},
       "the project list nul-in-lines line 2 holds a NUL byte (--null reads a list of names ended by NUL)", true},
      {{"--projects-from", ""}, "--projects-from needs a file name, or - for standard input", true},
      {{"--null"}, "--null goes only with --projects-from", true},
      {{"--null=0", "--projects-from", "-"}, "--null takes no value", true},
  };
  for (const Program& program : kPrograms) {
    for (const auto& c : cases)
      if (!c.list || program.readsLists) expectUsageError(program, c.arguments, c.says);
  }
}

// Help wins over a bad option.
TEST(CommandLines, HelpAndVersionNeedNoDisplay) {
  for (const Program& program : kPrograms) {
    const std::string name = program.name;
    const testing::Outcome help = run(name, {"--jobs", "0", "--help"});
    EXPECT_EQ(help.status, 0) << name;
    EXPECT_EQ(help.err, "") << name;
    for (const std::string& word : {"Usage: " + name + " ", std::string("Exit status"), std::string(program.ownWord)})
      EXPECT_NE(help.out.find(word), std::string::npos) << name << ": " << word;
    const testing::Outcome version = run(name, {"--version"});
    EXPECT_EQ(version.status, 0) << name;
    EXPECT_EQ(version.out, name + " " KELM_VERSION "\n");
  }
}

TEST(CommandLines, ScanRefusesWhatWouldMakeNothingUsable) {
  const Program scan{"kelm-scan", {}, false, ""};
  const struct {
    std::vector<std::string> arguments;
    std::string says;
  } cases[] = {
      // A line break in OUTDIR once left every figure of summary.csv empty.
      {{"template", "a=1", "out\nput"},
       "OUTDIR \"out\\x0Aput\" holds a control character (a line break?); give a name without one"},
      {{"--merge", "out\r"}, "OUTDIR \"out\\x0D\" holds a control character (a line break?); give a name without one"},
      {{"--make-only", "--jobs", "2", "template", "a=1", "out"},
       "--make-only solves nothing: it goes with neither --jobs nor --slurm"},
      {{"--dry-run", "template", "a=1", "out"}, "--dry-run goes only with --slurm"},
      {{"--merge", "--jobs", "2", "out"}, "--merge takes OUTDIR alone (and --z, --range)"},
      {{"--prune", "--force", "template", "a=1", "out"}, "--prune and --force exclude each other"},
      {{"--shard", "0/2", "--range", "1:2", "out"},
       "--z and --range are for the summary, which neither --make-only nor --shard writes"},
  };
  for (const auto& c : cases) expectUsageError(scan, c.arguments, c.says);
}

TEST(CommandLines, ListsAndSharesSplitAsTheySay) {
  // Blank lines and a CR before the newline are no names; with --null only NUL ends one.
  EXPECT_EQ(projectNames("a\r\n\nb c\n", false, "l"), (std::vector<std::string>{"a", "b c"}));
  EXPECT_EQ(projectNames(std::string("a\nb\0\0c", 6), true, "l"), (std::vector<std::string>{"a\nb", "c"}));
  // Each index in exactly one share.
  for (int shards : {1, 2, 3, 7, 9}) {
    std::vector<int> taken(7, 0);
    for (int k = 0; k < shards; ++k) {
      for (std::size_t i : shareOf(taken.size(), {k, shards})) {
        EXPECT_EQ(int(i) % shards, k);
        ++taken[i];
      }
    }
    EXPECT_EQ(taken, std::vector<int>(7, 1)) << shards;
  }
}

// CSV as the programs write it; a spreadsheet's byte-order mark, quotes and CRLF, and a quote
// left open, are tried on the sweep files users give kelm-scan.
using Rows = std::vector<std::vector<std::string>>;

TEST(Csv, ReadsWhatTheProgramsWrite) {
  const struct {
    std::string text;
    Rows rows;
  } cases[] = {
      {"a,\"b,\"\"c\"\"\nd\"\n\n,\n", {{"a", "b,\"c\"\nd"}, {"", ""}}},
      {"x", {{"x"}}},
  };
  for (const auto& c : cases) {
    std::vector<CsvRow> rows;
    std::string why;
    ASSERT_TRUE(readCsv(c.text, rows, why)) << why;
    Rows cells;
    for (const CsvRow& row : rows) cells.push_back(row.cells);
    EXPECT_EQ(cells, c.rows) << c.text;
  }
  // What CsvLine writes reads back the same.
  const std::string text = CsvLine().add("a,\"b\"\r\n").add(0.1).add(-3).addEmpty().text();
  std::vector<CsvRow> rows;
  std::string why;
  ASSERT_TRUE(readCsv(text, rows, why)) << why;
  EXPECT_EQ(rows.at(0).cells, (std::vector<std::string>{"a,\"b\"\r\n", "0.1", "-3", ""}));
  EXPECT_FALSE(readCsv("\"a\"b,c\n", rows, why));
  EXPECT_NE(why.find("line "), std::string::npos) << why;
}

}  // namespace
}  // namespace kelm::cli
