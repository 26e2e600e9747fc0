// kelm-scan as a user runs it, on the example template, with the real kelm-solve and
// kelm-export beside it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "tests/records/program_outcome.h"
#include "tests/records/temp_directory.h"

namespace {

using kelm::testing::TempDirectory;
namespace fs = std::filesystem;

int scan(const std::string& arguments, std::string* log = nullptr) {
  const kelm::testing::Outcome o = kelm::testing::runCommand(std::string(KELM_SCAN_PROGRAM) + " " + arguments);
  if (log) *log = o.err;
  return o.status;
}

std::vector<std::string> column(const std::string& csv, std::size_t index) {
  std::vector<std::string> out;
  std::istringstream in(csv);
  for (std::string line; std::getline(in, line);) {
    std::string cell;
    std::istringstream cells(line);
    for (std::size_t i = 0; i <= index; ++i) std::getline(cells, cell, ',');
    out.push_back(cell);
  }
  return out;
}

const std::string kTemplate = std::string(KELM_EXAMPLES_DIR) + "/scan/template";

TEST(ScanProgram, SubstitutionErrorsNameFileLineAndParameterAndMakeNothing) {
  TempDirectory dir;
  const std::pair<const char*, const char*> cases[] = {
      {"anode_z=30", "geom.cod:2: parameter volts is not in the sweep"},
      {"anode_z=30,volts=1e4,gap=2", "parameter gap of the sweep is used in neither"},
      {"missing.csv", "missing.csv: no such sweep file"},
  };
  for (const auto& [sweep, why] : cases) {
    std::string log;
    EXPECT_EQ(scan(kTemplate + " '" + sweep + "' out", &log), 2) << sweep;
    EXPECT_NE(log.find(why), std::string::npos) << log;
    EXPECT_FALSE(fs::exists("out")) << sweep;
  }
}

TEST(ScanProgram, SolvesAgainOnlyAChangedPointAndReportsAFailingOne) {
  TempDirectory dir;
  TempDirectory::writeFile("sweep.csv", "anode_z,volts\n30,10000\n33,10000\n30,20000\n");
  std::string log;
  ASSERT_EQ(scan("--jobs 2 " + kTemplate + " sweep.csv out", &log), 0) << log;
  EXPECT_NE(log.find("[3/3]"), std::string::npos) << log;
  const std::string first = TempDirectory::readFile("out/summary.csv");
  EXPECT_EQ(column(first, 3), (std::vector<std::string>{"status", "solved", "solved", "solved"}));
  const auto pointResult = fs::last_write_time("out/p0001/klplt.res");

  // One point moved, one point that cannot be a gun: only those two are solved.
  TempDirectory::writeFile("sweep.csv", "anode_z,volts\n30,10000\n34,10000\n70,20000\n");
  EXPECT_EQ(scan("--jobs 2 " + kTemplate + " sweep.csv out", &log), 1) << log;
  EXPECT_NE(log.find("[1/2] p000"), std::string::npos) << log;
  EXPECT_EQ(log.find("[3/"), std::string::npos) << log;
  EXPECT_EQ(fs::last_write_time("out/p0001/klplt.res"), pointResult);
  const std::string second = TempDirectory::readFile("out/summary.csv");
  const auto status = column(second, 3);
  ASSERT_EQ(status.size(), 4u) << second;
  EXPECT_EQ(status[1], "solved");
  EXPECT_EQ(status[2], "solved");
  EXPECT_EQ(status[3].rfind("failed: ", 0), 0u) << second;
  // The reason without the point's path, so that scans in two places compare equal.
  EXPECT_EQ(status[3].find("p0003"), std::string::npos) << second;
  EXPECT_EQ(column(second, 1), (std::vector<std::string>{"anode_z", "30", "34", "70"}));
  const std::string header = first.substr(0, first.find(",perveance"));
  const auto perveance = std::size_t(std::count(header.begin(), header.end(), ',') + 1);
  EXPECT_NE(column(first, perveance)[2], column(second, perveance)[2]);  // p0002's was solved again

  // The failure is solved again on the next run, and fails again; the rest stay.
  EXPECT_EQ(scan("--jobs 1 " + kTemplate + " sweep.csv out", &log), 1) << log;
  EXPECT_NE(log.find("[1/1] p0003 failed"), std::string::npos) << log;
}

// Every file a solve reads counts: a new mag.dat in the template solves every point again.
TEST(ScanProgram, AChangedFieldFileSolvesThePointsAgain) {
  TempDirectory dir;
  fs::copy(kTemplate, "tpl");
  std::string log;
  ASSERT_EQ(scan("--jobs 2 tpl 'anode_z=30,33, volts=10000' out", &log), 0) << log;
  std::string mag = TempDirectory::readFile("tpl/mag.dat");
  mag.replace(mag.find(".2029E+02"), 9, ".4029E+02");
  TempDirectory::writeFile("tpl/mag.dat", mag);
  ASSERT_EQ(scan("--jobs 2 tpl 'anode_z=30,33, volts=10000' out", &log), 0) << log;
  EXPECT_NE(log.find("[2/2]"), std::string::npos) << log;
  EXPECT_EQ(log.find("unchanged"), std::string::npos) << log;
}

}  // namespace
