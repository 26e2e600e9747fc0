// kelm-scan as a user runs it, on the example template, with the real kelm-solve and
// kelm-export beside it.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <thread>

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
  EXPECT_EQ(second.find("failed: failed"), std::string::npos) << second;
  // The reason without the point's path, so that scans in two places compare equal.
  EXPECT_EQ(status[3].find("p0003"), std::string::npos) << second;
  EXPECT_EQ(column(second, 1), (std::vector<std::string>{"anode_z", "30", "34", "70"}));
  EXPECT_NE(column(first, 11)[2], column(second, 11)[2]);  // p0002's perveance was solved again

  // The failure is solved again on the next run, and fails again; the rest stay.
  EXPECT_EQ(scan("--jobs 1 " + kTemplate + " sweep.csv out", &log), 1) << log;
  EXPECT_NE(log.find("[1/1] p0003 failed"), std::string::npos) << log;
  EXPECT_EQ(log.find("failed: failed"), std::string::npos) << log;
}

// The processes below root that have not ended, from /proc.
std::set<pid_t> runningBelow(pid_t root) {
  std::multimap<pid_t, pid_t> children;
  for (const auto& entry : fs::directory_iterator("/proc")) {
    if (entry.path().filename().string().find_first_not_of("0123456789") != std::string::npos) continue;
    const std::string stat = kelm::testing::TempDirectory::readFile(entry.path().string() + "/stat");
    const std::size_t end = stat.rfind(')');
    char state = 'Z';
    int parent = 0;
    if (end == std::string::npos || std::sscanf(stat.c_str() + end + 1, " %c %d", &state, &parent) != 2) continue;
    if (state != 'Z' && state != 'X') children.emplace(parent, std::stoi(entry.path().filename().string()));
  }
  std::set<pid_t> below;
  std::vector<pid_t> todo{root};
  for (std::size_t k = 0; k < todo.size(); ++k)
    for (auto [at, last] = children.equal_range(todo[k]); at != last; ++at)
      if (below.insert(at->second).second) todo.push_back(at->second);
  return below;
}

bool running(pid_t pid) {
  const std::string stat = kelm::testing::TempDirectory::readFile("/proc/" + std::to_string(pid) + "/stat");
  const std::size_t end = stat.rfind(')');
  return end != std::string::npos && stat.size() > end + 2 && stat[end + 2] != 'Z' && stat[end + 2] != 'X';
}

template <class Done>
bool waitFor(Done done) {
  for (const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
       std::chrono::steady_clock::now() < until; std::this_thread::sleep_for(std::chrono::milliseconds(10)))
    if (done()) return true;
  return done();
}

// Stopped by its PID, not by its terminal's group, the program takes its solves with it: none
// runs on to write results afterwards, and a point cut short is not recorded as solved.
TEST(ScanProgram, StoppedByItsPidItLeavesNoSolveRunning) {
  const std::string bin = fs::path(KELM_SCAN_PROGRAM).parent_path().string();
  const std::string full = std::string(KELM_EXAMPLES_DIR) + "/full";
  const struct {
    const char* program;
    int signal;
    std::size_t processes;  // below it while it solves two projects
  } cases[] = {{"kelm-solve", SIGTERM, 2}, {"kelm-scan", SIGTERM, 4}, {"kelm-scan", SIGKILL, 4}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.program) + " " + strsignal(c.signal));
    TempDirectory dir;
    // Two projects of the full example, whose solves take seconds; as points of a scan first.
    fs::create_directory("template");
    for (const char* name : {"klinput.dat", "mag.dat"}) fs::copy(full + "/" + name, std::string("template/") + name);
    TempDirectory::writeFile("template/geom.cod", "# ${tag}\n" + TempDirectory::readFile(full + "/geom.cod"));
    std::vector<std::string> argv{bin + "/" + c.program, "--jobs", "2"};
    if (c.program == std::string("kelm-solve")) {
      for (const char* name : {"a", "b"}) fs::copy("template", name, fs::copy_options::recursive);
      argv.insert(argv.end(), {"a", "b"});
    } else {
      argv.insert(argv.end(), {"template", "tag=1,2", "scan"});
    }
    std::vector<char*> args;
    for (auto& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 2, "err", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, args[0], &quiet, nullptr, args.data(), environ), 0);
    posix_spawn_file_actions_destroy(&quiet);
    std::set<pid_t> below;
    EXPECT_TRUE(waitFor([&] {
      for (pid_t p : runningBelow(pid)) below.insert(p);
      return below.size() >= c.processes;
    })) << TempDirectory::readFile("err");
    ::kill(pid, c.signal);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal) << status;
    EXPECT_TRUE(waitFor([&] { return std::none_of(below.begin(), below.end(), running); }));
    // Nothing is left to write, and nothing was written.
    for (const char* result : {"a/klplt.res", "b/klplt.res", "scan/p0001/klplt.res", "scan/p0002/klplt.res",
                               "scan/p0001/.kelm-scan-state", "scan/summary.csv"})
      EXPECT_FALSE(fs::exists(result)) << result;
  }
}

}  // namespace
