#include "source/scan/point_runs.h"

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>

#include "runtime/child_processes.h"
#include "source/scan/scan_points.h"

namespace kelm::scan {
namespace {

constexpr const char* kSolveLog = "solve.log";

int exitStatus(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status); }

// The log's last line says why kelm-solve gave up; commas and quotes would split the cell.
std::string failureOf(const std::string& directory, int status) {
  std::string log, last;
  readFile(directory + "/" + kSolveLog, log);
  for (std::size_t end = log.size(); end > 0 && last.empty();) {
    const std::size_t begin = log.rfind('\n', end - 1);
    last = log.substr(begin == log.npos ? 0 : begin + 1, end - (begin == log.npos ? 0 : begin + 1));
    end = begin == log.npos ? 0 : begin;
  }
  // kelm-solve names the project first, then "failed: "; the point's status says both.
  if (last.rfind(directory + ": ", 0) == 0) last.erase(0, directory.size() + 2);
  if (last.rfind("failed: ", 0) == 0) last.erase(0, 8);
  if (status > 128) last = "ended by signal " + std::to_string(status - 128);
  if (last.empty()) last = "kelm-solve exited with status " + std::to_string(status);
  if (last.size() > 200) last.resize(200);
  for (char& c : last)
    if (c == ',' || c == '"' || static_cast<unsigned char>(c) < 0x20) c = c == ',' ? ';' : '\'';
  return last;
}

std::string secondsText(double s) {
  char text[32];
  std::snprintf(text, sizeof text, s < 100 ? "%.1f s" : "%.0f s", s);
  return text;
}

}  // namespace

std::string siblingProgram(const std::string& name) {
  std::error_code ec;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    const auto sibling = self.parent_path() / name;
    if (::access(sibling.c_str(), X_OK) == 0) return sibling.string();
  }
  return name;
}

int runProgram(const std::vector<std::string>& argv, const std::string& logFile, std::string& error) {
  ChildSignals signals;
  const pid_t pid = startProgram(argv, logFile, error);
  if (pid < 0) return -1;
  int status = 0;
  if (signals.waitChild({pid}, status) != pid) return (error = argv[0] + ": lost", -1);
  return exitStatus(status);
}

PointRuns solvePoints(const std::string& outdir, const std::vector<std::string>& points, int jobs,
                      std::FILE* progress, int threads) {
  using Clock = std::chrono::steady_clock;
  const auto begin = Clock::now();
  const std::string solve = siblingProgram("kelm-solve");
  PointRuns runs;
  std::vector<std::size_t> todo;
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (needsSolving(outdir + "/" + points[i])) todo.push_back(i);
    else ++runs.unchanged;
  }
  // Stopping kelm-scan stops its solves, which would otherwise write their results after it.
  ChildSignals signals;
  std::map<pid_t, std::pair<std::size_t, PointState>> running;
  std::size_t next = 0, done = 0;
  auto finish = [&](std::size_t index, PointState state, int status) {
    const std::string dir = outdir + "/" + points[index];
    state.finished = true;
    // 3: solved without converging; the record says so.
    state.solved = status == 0 || status == 3;
    if (!state.solved && state.failure.empty()) state.failure = failureOf(dir, status);
    std::string error;
    if (!writeState(dir, state, error)) std::fprintf(progress, "kelm-scan: %s\n", error.c_str());
    state.solved ? ++runs.solved : ++runs.failed;
    const double elapsed = std::chrono::duration<double>(Clock::now() - begin).count();
    ++done;
    const double left = elapsed / double(done) * double(todo.size() - done);
    std::fprintf(progress, "kelm-scan: [%zu/%zu] %s %s, about %s left\n", done, todo.size(), points[index].c_str(),
                 state.solved ? "solved" : ("failed: " + state.failure).c_str(), secondsText(left).c_str());
    std::fflush(progress);
  };
  while (next < todo.size() || !running.empty()) {
    while (next < todo.size() && int(running.size()) < std::max(1, jobs)) {
      const std::size_t index = todo[next++];
      const std::string dir = outdir + "/" + points[index];
      // A solve that is cut short must not leave the record of the last one behind.
      std::filesystem::remove(dir + "/" + kStateFile);
      PointState state;
      std::string error;
      const pid_t pid = startProgram({solve, "--jobs", std::to_string(std::max(1, threads)), dir}, dir + "/" + kSolveLog, error);
      if (pid < 0) {
        state.failure = error;
        finish(index, state, 127);
      } else {
        running[pid] = {index, state};
      }
    }
    if (running.empty()) continue;
    std::vector<pid_t> pids;
    for (const auto& [pid, point] : running) pids.push_back(pid);
    int status = 0;
    const auto it = running.find(signals.waitChild(pids, status));
    if (it == running.end()) break;  // no children left to wait for: nothing more will finish
    auto [index, state] = it->second;
    running.erase(it);
    finish(index, state, exitStatus(status));
  }
  return runs;
}

}  // namespace kelm::scan
