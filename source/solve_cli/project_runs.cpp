#include "source/solve_cli/project_runs.h"

#include <algorithm>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <thread>

#include "runtime/child_processes.h"
#include "runtime/fp_traps.h"
#include "runtime/whole_file.h"
#include "source/project_files/input_file.h"
#include "source/project_files/project_lock.h"
#include "source/solver/beam/solve_project.h"
#include "source/solver/geometry/geometry_file.h"
#include "source/solver/geometry/mesh_builder.h"
#include "source/solver/geometry/outline_layout.h"

namespace kelm::solvecli {
namespace {

namespace fs = std::filesystem;

std::string format(const char* pattern, auto... values) {
  char line[256];
  std::snprintf(line, sizeof line, pattern, values...);
  return line;
}

// A project is a directory; a file names the directory it is in, as kelm-export takes it.
std::optional<std::string> projectDirectory(const std::string& name) {
  std::error_code error;
  const fs::path path(name);
  if (fs::is_directory(path, error)) return name;
  if (fs::is_regular_file(path, error)) {
    const fs::path parent = path.parent_path();
    return parent.empty() ? std::string(".") : parent.string();
  }
  return std::nullopt;
}

struct Run {
  std::string name;       // as given, for the lines
  std::string directory;  // empty: not a project
  bool duplicate = false;
  bool done = false;
  int status = 1;  // the exit status it asks for: 0, 1 failed, 3 not converged
  std::string summary;
};

// Each project is solved in a child process of its own: the numerical libraries underneath keep
// state that is not safe to share between solves running at once, and a project that stops on a
// floating-point fault then takes only itself down.
class Runner {
 public:
  Runner(const SolveOptions& options, const RunOutput& output, std::vector<Run>& runs)
      : options_(options), output_(output), runs_(runs) {}

  void runAll(int jobs) {
    jobs_ = jobs;
    // Stopping kelm-solve stops its solves, which would otherwise write their results after it.
    ChildSignals signals;
    std::map<pid_t, Child> running;
    std::size_t next = 0;
    while (next < runs_.size() || !running.empty()) {
      while (next < runs_.size() && running.size() < static_cast<std::size_t>(jobs)) {
        Child child{next++, -1, -1};
        if (!start(child)) continue;
        running.emplace(child.pid, child);
      }
      if (running.empty()) continue;
      std::vector<pid_t> pids;
      for (const auto& [pid, child] : running) pids.push_back(pid);
      int status = 0;
      const pid_t pid = signals.waitChild(pids, status);
      if (pid < 0) {  // the children are gone without a word: none can be heard
        for (const auto& [ignored, child] : running) finish(child.index, {1, "failed: its process was lost"});
        return;
      }
      const auto it = running.find(pid);
      if (it == running.end()) continue;
      finish(it->second.index, collect(it->second, status));
      running.erase(it);
    }
  }

 private:
  struct Child {
    std::size_t index;
    int pipe;  // the read end: the status as one digit, then the summary
    pid_t pid = -1;
  };

  // False when no process could be started; the project is then reported failed at once.
  bool start(Child& child) {
    int ends[2];
    if (::pipe(ends) != 0) return finish(child.index, {1, "failed: no process could be started"}), false;
    std::fflush(output_.progress);
    std::fflush(output_.summaries);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) {
      ::close(ends[0]);
      ::close(ends[1]);
      return finish(child.index, {1, "failed: no process could be started"}), false;
    }
    if (pid == 0) {
      if (!adoptChild(parent)) std::_Exit(1);
      ::close(ends[0]);
      // The solve runs as kelm's program thread does: a floating-point fault stops it.
      enableFloatingPointTraps([](const char* what) {
        std::fprintf(stderr, "kelm-solve: run-time error 200: %s\n", what);
        std::_Exit(1);
      });
      const auto [status, summary] = runOne(runs_[child.index]);
      const std::string message = std::to_string(status) + summary.substr(0, kMaxSummary);
      writeAll(ends[1], message);
      std::_Exit(0);
    }
    ::close(ends[1]);
    child.pid = pid;
    child.pipe = ends[0];
    return true;
  }

  // The child's word, or why it has none.
  static std::pair<int, std::string> collect(const Child& child, int status) {
    std::string message;
    char buffer[4096];
    for (ssize_t n; (n = ::read(child.pipe, buffer, sizeof buffer)) > 0;) message.append(buffer, static_cast<std::size_t>(n));
    ::close(child.pipe);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0 && !message.empty()) return {message[0] - '0', message.substr(1)};
    if (WIFSIGNALED(status)) return {1, "failed: the solve stopped on signal " + std::to_string(WTERMSIG(status))};
    return {1, "failed: the solve stopped (see its last lines above)"};
  }

  static void writeAll(int fd, const std::string& bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
      const ssize_t n = ::write(fd, bytes.data() + at, bytes.size() - at);
      if (n <= 0) return;
      at += static_cast<std::size_t>(n);
    }
  }

  // One project's steps under the project's lock; the exit status it asks for and the summary
  // line without the project's name.
  std::pair<int, std::string> runOne(const Run& run) {
    if (run.duplicate) return {0, "named before: run once"};
    if (run.directory.empty()) return {1, "failed: no such project directory"};
    const auto start = std::chrono::steady_clock::now();
    const auto seconds = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
    projectfiles::ProjectLock lock;
    std::string summary, failure, geometry;
    if (!lock.acquire(run.directory, failure)) return {1, "failed: " + failure};
    if (options_.runsBuildNet()) {
      progress(run, "Build net");
      if (!buildNet(run.directory, geometry, summary, failure)) return {1, "failed: " + failure + "; nothing built"};
    }
    if (!options_.runsSolve()) {
      std::string error;
      if (!runtime::writeWholeFile(run.directory + "/geom.dat", geometry, error))
        return {1, "failed: geom.dat not written: " + error};
      progress(run, summary);
      return {0, summary + format(", %.3f s", seconds())};
    }
    progress(run, "Solve");
    // Build net's geom.dat becomes visible with the results, or stays as it was.
    solver::SolveCommit commit;
    if (options_.runsBuildNet()) commit.files.push_back({"geom.dat", std::move(geometry)});
    // One thread each when projects share the cores; the results do not depend on it.
    const int threads = jobs_ == 1 ? 0 : 1;
    const solver::SolveOutcome o = solver::solveProject(
        run.directory, [&](const std::string& line) { return progress(run, line), true; }, threads, commit,
        {options_.openPMD || !options_.screens_mm.empty(), options_.screens_mm});
    if (!o.solved) return {1, "failed: " + o.failure + "; nothing solved"};
    if (options_.runsBuildNet()) progress(run, summary);
    // The surface field over its limit is a warning: the exit status stays the solve's.
    const std::string warning = o.surfaceWarning.empty() ? "" : "; " + o.surfaceWarning;
    if (!o.beam) return {0, format("vacuum field only, %.3f s", seconds()) + warning};
    return {o.converged ? 0 : 3, format("%d iterations%s, current %.6g A, perveance %.5g uP, %.3f s", o.iterations,
                                        o.converged ? " (converged)" : "", o.current_A, o.perveance_uP, seconds()) +
                                     warning};
  }

  // One write per line, so that the lines of projects solved at once never cut into each other.
  void progress(const Run& run, const std::string& line) {
    std::fflush(output_.progress);
    writeAll(::fileno(output_.progress), run.name + ": " + line + "\n");
  }

  // Summaries go out in the order given: each waits for those before it.
  void finish(std::size_t i, std::pair<int, std::string> result) {
    runs_[i].done = true;
    runs_[i].status = result.first;
    runs_[i].summary = std::move(result.second);
    for (; printed_ < runs_.size() && runs_[printed_].done; ++printed_) {
      std::fprintf(output_.summaries, "%s: %s\n", runs_[printed_].name.c_str(), runs_[printed_].summary.c_str());
    }
    std::fflush(output_.summaries);
  }

  static constexpr std::size_t kMaxSummary = 16384;

  const SolveOptions& options_;
  const RunOutput& output_;
  std::vector<Run>& runs_;
  int jobs_ = 1;
  std::size_t printed_ = 0;
};

}  // namespace

bool buildNet(const std::string& directory, std::string& geometryDat, std::string& summary, std::string& failure) {
  std::string text, why;
  const projectfiles::InputRead read =
      projectfiles::readInputFile(directory + "/geom.cod", solver::kMaxInputBytes, text, why);
  if (read == projectfiles::InputRead::kMissing) return (failure = "geom.cod not found in this project", false);
  // A file too long is the parser's to report.
  if (read != projectfiles::InputRead::kOk && read != projectfiles::InputRead::kTooLong)
    return (failure = projectfiles::inputFailure("geom.cod", read, why), false);
  solver::GunDescription gun;
  solver::ClassifiedMesh mesh;
  solver::Diagnostic diagnostic;
  if (!solver::parseGunDescription(text, gun, diagnostic) || !solver::buildMesh(gun, mesh, diagnostic))
    return (failure = solver::formatDiagnostic("geom.cod", diagnostic), false);
  std::vector<solver::OutlinePoint> points;
  if (!solver::layOutOutline(gun, points, failure)) return false;
  geometryDat = solver::geometryFileText(gun.mesh, points);
  summary = "geom.dat written: " + std::to_string(points.size()) + " outline points";
  return true;
}

int runProjects(const std::vector<std::string>& projects, const SolveOptions& options, const RunOutput& output) {
  std::vector<Run> runs;
  std::set<fs::path> seen;
  for (const std::string& name : projects) {
    Run run;
    run.name = name;
    run.directory = projectDirectory(name).value_or("");
    if (!run.directory.empty()) {
      // Two jobs on one directory would race for its files.
      std::error_code error;
      const fs::path key = fs::weakly_canonical(run.directory, error);
      run.duplicate = !seen.insert(error ? fs::path(run.directory) : key).second;
    }
    runs.push_back(std::move(run));
  }
  const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  const int jobs = std::clamp(options.jobs > 0 ? options.jobs : cores, 1, static_cast<int>(std::max<std::size_t>(runs.size(), 1)));
  Runner(options, output, runs).runAll(jobs);
  // A failure outweighs a solve that did not converge.
  int status = 0;
  for (const Run& r : runs) status = status == 1 || r.status == 1 ? 1 : std::max(status, r.status);
  return status;
}

}  // namespace kelm::solvecli
