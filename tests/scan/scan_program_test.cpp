// kelm-scan as a user runs it, on the example template, with the real kelm-solve and
// kelm-export beside it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <set>

#include "tests/records/program_outcome.h"
#include "tests/scan/program_runs.h"

namespace {

using namespace kelm::testing;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

int scan(const std::string& arguments, std::string* log = nullptr) {
  const Outcome o = runCommand(std::string(KELM_SCAN_PROGRAM) + " " + arguments);
  if (log) *log = o.err;
  return o.status;
}

std::vector<std::string> column(const std::string& file, const std::string& name) {
  std::vector<std::string> out;
  for (const Row& row : csvRows(file)) out.push_back(row.count(name) ? row.at(name) : "");
  return out;
}

const std::string kTemplate = std::string(KELM_EXAMPLES_DIR) + "/scan/template";

// The parameters' own faults are the in-process tests'; here the program's answer to one.
TEST(ScanProgram, AFaultySweepMakesNothing) {
  TempDirectory dir;
  std::string log;
  EXPECT_EQ(scan(kTemplate + " 'anode_z=30' out", &log), 2);
  EXPECT_NE(log.find("geom.cod:2:66: parameter volts is not in the sweep"), std::string::npos) << log;
  EXPECT_EQ(scan(kTemplate + " missing.csv out", &log), 2);
  EXPECT_NE(log.find("missing.csv: no such sweep file"), std::string::npos) << log;
  EXPECT_FALSE(fs::exists("out"));
}

TEST(ScanProgram, SolvesAgainOnlyAChangedPointAndReportsAFailingOne) {
  TempDirectory dir;
  fs::copy(kTemplate, "tpl");
  TempDirectory::writeFile("sweep.csv", "anode_z,volts\n30,10000\n33,10000\n30,20000\n");
  std::string log;
  ASSERT_EQ(scan("--jobs 2 --z 25 --range 10:40 tpl sweep.csv out", &log), 0) << log;
  EXPECT_NE(log.find("[3/3]"), std::string::npos) << log;
  const std::string first = TempDirectory::readFile("out/summary.csv");
  for (const char* plane : {",25,", ",10,40,"}) EXPECT_NE(first.find(plane), std::string::npos) << plane << first;
  EXPECT_EQ(column("out/summary.csv", "status"), (std::vector<std::string>{"solved", "solved", "solved"}));
  const auto perveance = column("out/summary.csv", "perveance [uP]");
  const auto pointResult = fs::last_write_time("out/p0001/klplt.res");

  // One point moved, one point that cannot be a gun: only those two are solved.
  TempDirectory::writeFile("sweep.csv", "anode_z,volts\n30,10000\n34,10000\n70,20000\n");
  EXPECT_EQ(scan("--jobs 2 --force tpl sweep.csv out", &log), 1) << log;
  EXPECT_NE(log.find("[1/2] p000"), std::string::npos) << log;
  EXPECT_EQ(log.find("[3/"), std::string::npos) << log;
  EXPECT_EQ(fs::last_write_time("out/p0001/klplt.res"), pointResult);
  const std::string second = TempDirectory::readFile("out/summary.csv");
  const auto status = column("out/summary.csv", "status");
  ASSERT_EQ(status.size(), 3u) << second;
  EXPECT_EQ(status[0], "solved");
  EXPECT_EQ(status[1], "solved");
  EXPECT_EQ(status[2].rfind("failed: ", 0), 0u) << second;
  EXPECT_EQ(second.find("failed: failed"), std::string::npos) << second;
  // The reason without the point's path, so that scans in two places compare equal.
  EXPECT_EQ(status[2].find("p0003"), std::string::npos) << second;
  EXPECT_EQ(column("out/summary.csv", "anode_z"), (std::vector<std::string>{"30", "34", "70"}));
  EXPECT_NE(column("out/summary.csv", "perveance [uP]")[1], perveance[1]);  // p0002's was solved again

  // The failure is solved again on the next run, and fails again; the rest stay.
  EXPECT_EQ(scan("--jobs 1 tpl sweep.csv out", &log), 1) << log;
  EXPECT_NE(log.find("[1/1] p0003 failed"), std::string::npos) << log;
  EXPECT_EQ(log.find("failed: failed"), std::string::npos) << log;

  // Every file a solve reads counts: a new mag.dat in the template solves every point again.
  std::string mag = TempDirectory::readFile("tpl/mag.dat");
  mag.replace(mag.find(".2029E+02"), 9, ".4029E+02");
  TempDirectory::writeFile("tpl/mag.dat", mag);
  EXPECT_EQ(scan("--jobs 2 tpl sweep.csv out", &log), 1) << log;
  EXPECT_NE(log.find("[3/3]"), std::string::npos) << log;
  EXPECT_EQ(log.find("unchanged"), std::string::npos) << log;
}

// Another sweep into the same OUTDIR (points made only): refused while it would change or
// orphan points.
TEST(ScanProgram, ARerunWithAnotherSweepRefusesUnlessPrunedOrForced) {
  TempDirectory dir;
  const struct {
    std::string options, anodes;
    int status;
    std::string said;
    std::vector<std::string> present, absent;
  } steps[] = {
      {"", "30,33,36", 0, "", {"p0003/geom.cod"}, {"p0001/klplt.res", "summary.csv"}},  // made, none solved
      {"", "30,33,36,39", 0, "", {"p0004"}, {}},  // only adds a point
      {"", "30,34", 2, "p0002 would be made again with other values, and p0003, p0004 would be left outside",
       {"p0004"}, {}},
      {"--force ", "30,34", 0, "2 points of the earlier sweep kept", {"p0003", "p0004"}, {}},
      {"--prune ", "30", 0, "1 point of the earlier sweep removed", {"p0003"}, {"p0002"}},
  };
  std::vector<std::string> firstHashes;
  for (const auto& step : steps) {
    std::string log;
    EXPECT_EQ(scan("--make-only " + step.options + kTemplate + " 'anode_z=" + step.anodes + ", volts=1e4' out", &log),
              step.status) << step.anodes << log;
    EXPECT_NE(log.find(step.said), std::string::npos) << log;
    for (const auto& p : step.present) EXPECT_TRUE(fs::exists("out/" + p)) << step.anodes << p;
    for (const auto& p : step.absent) EXPECT_FALSE(fs::exists("out/" + p)) << step.anodes << p;
    const auto hashes = column("out/manifest.csv", "sweep-hash");
    if (firstHashes.empty()) firstHashes = hashes;
    // A point keeps the hash of the sweep that made it; p0002 was made again by "30,34".
    EXPECT_EQ(hashes[0], firstHashes[0]);
    if (hashes.size() > 1) {
      EXPECT_EQ(hashes[1] == firstHashes[1], step.options != "--force ") << step.anodes;
    }
  }
}

// Each process that has not ended, with its parent, from /proc.
std::map<pid_t, pid_t> runningProcesses() {
  std::map<pid_t, pid_t> parentOf;
  for (const auto& entry : fs::directory_iterator("/proc")) {
    if (entry.path().filename().string().find_first_not_of("0123456789") != std::string::npos) continue;
    // Read as the kernel gives it: a process that ends meanwhile fails the read, not the test.
    char stat[512] = {};
    const int fd = ::open((entry.path().string() + "/stat").c_str(), O_RDONLY);
    if (fd < 0) continue;
    const ssize_t n = ::read(fd, stat, sizeof stat - 1);
    ::close(fd);
    char state = 'Z';
    int parent = 0;
    const char* end = n > 0 ? std::strrchr(stat, ')') : nullptr;
    if (end != nullptr && std::sscanf(end + 1, " %c %d", &state, &parent) == 2 &&
        state != 'Z' && state != 'X')
      parentOf[std::stoi(entry.path().filename().string())] = parent;
  }
  return parentOf;
}

// Stopped by its PID, not by its terminal's group, the program takes its solves with it: none
// runs on to write results afterwards, and a point cut short is not recorded as solved.
TEST(ScanProgram, StoppedByItsPidItLeavesNoSolveRunning) {
  const std::string bin = fs::path(KELM_SCAN_PROGRAM).parent_path().string() + "/";
  const std::string full = std::string(KELM_EXAMPLES_DIR) + "/full/";
  const struct {
    std::string command;
    int signal;
    std::size_t below;  // processes below it while it solves two projects of seconds each
  } cases[] = {{"kelm-solve --jobs 2 a b", SIGTERM, 2},
               {"kelm-scan --jobs 2 a tag=1,2 scan", SIGTERM, 4},
               {"kelm-scan --jobs 2 a tag=1,2 scan", SIGKILL, 4}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command + " " + strsignal(c.signal));
    TempDirectory dir;
    for (const char* p : {"a/", "b/"}) {
      fs::create_directory(p);
      for (const char* name : {"klinput.dat", "mag.dat"}) fs::copy(full + name, p + std::string(name));
      TempDirectory::writeFile(p + std::string("geom.cod"), "# ${tag}\n" + TempDirectory::readFile(full + "geom.cod"));
    }
    const pid_t pid = spawned(bin + c.command);
    std::set<pid_t> below{pid};
    EXPECT_TRUE(within(60s, [&] {
      for (const auto& [child, parent] : runningProcesses())
        if (below.count(parent)) below.insert(child);
      return below.size() > c.below;
    }));
    ::kill(pid, c.signal);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal) << status;
    EXPECT_TRUE(within(60s, [&] {
      const auto now = runningProcesses();
      return std::none_of(below.begin(), below.end(), [&](pid_t p) { return now.count(p) > 0; });
    }));
    // Nothing is left to write, and nothing was written.
    for (const char* result : {"a/klplt.res", "b/klplt.res", "scan/p0001/klplt.res", "scan/p0002/klplt.res",
                               "scan/p0001/.kelm-scan-state", "scan/summary.csv"})
      EXPECT_FALSE(fs::exists(result)) << result;
  }
}

}  // namespace
