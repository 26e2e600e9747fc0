#include "source/solve_cli/project_runs.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <set>
#include <thread>

#include "runtime/fp_traps.h"
#include "runtime/whole_file.h"
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
  bool done = false, ok = false;
  std::string summary;
};

class Runner {
 public:
  Runner(const SolveOptions& options, const RunOutput& output, std::vector<Run>& runs)
      : options_(options), output_(output), runs_(runs) {}

  void runAll(int jobs) {
    jobs_ = jobs;
    std::vector<std::jthread> workers;
    for (int j = 0; j < jobs; ++j) {
      workers.emplace_back([this] {
        // Each solve runs as kelm's program thread does: a floating-point fault stops it.
        enableFloatingPointTraps([](const char* what) {
          std::fprintf(stderr, "kelm-solve: run-time error 200: %s\n", what);
          std::_Exit(1);
        });
        for (std::size_t i = next_++; i < runs_.size(); i = next_++) finish(i, runOne(runs_[i]));
      });
    }
  }

 private:
  // One project's steps; the summary line without the project's name.
  std::pair<bool, std::string> runOne(const Run& run) {
    if (run.duplicate) return {true, "named before: run once"};
    if (run.directory.empty()) return {false, "failed: no such project directory"};
    const auto start = std::chrono::steady_clock::now();
    std::string summary, failure;
    if (options_.runsBuildNet()) {
      progress(run, "Build net");
      if (!buildNet(run.directory, summary, failure)) return {false, "failed: " + failure + "; nothing built"};
      progress(run, summary);
    }
    if (!options_.runsSolve()) {
      return {true, summary + format(", %.3f s", std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count())};
    }
    progress(run, "Solve");
    // One thread each when projects share the cores; the results do not depend on it.
    const int threads = jobs_ == 1 ? 0 : 1;
    const solver::SolveOutcome o = solver::solveProject(
        run.directory, [&](const std::string& line) { return progress(run, line), true; }, threads);
    if (!o.solved) return {false, "failed: " + o.failure + "; nothing solved"};
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!o.beam) return {true, format("vacuum field only (no emitting segment), %.3f s", seconds)};
    return {true, format("%d iterations%s, current %.6g A, perveance %.5g uP, %.3f s", o.iterations,
                         o.converged ? " (converged)" : "", o.current_A, o.perveance_uP, seconds)};
  }

  void progress(const Run& run, const std::string& line) {
    const std::lock_guard lock(mutex_);
    std::fprintf(output_.progress, "%s: %s\n", run.name.c_str(), line.c_str());
    std::fflush(output_.progress);
  }

  // Summaries go out in the order given: each waits for those before it.
  void finish(std::size_t i, std::pair<bool, std::string> result) {
    const std::lock_guard lock(mutex_);
    runs_[i].done = true;
    runs_[i].ok = result.first;
    runs_[i].summary = std::move(result.second);
    for (; printed_ < runs_.size() && runs_[printed_].done; ++printed_) {
      std::fprintf(output_.summaries, "%s: %s\n", runs_[printed_].name.c_str(), runs_[printed_].summary.c_str());
    }
    std::fflush(output_.summaries);
  }

  const SolveOptions& options_;
  const RunOutput& output_;
  std::vector<Run>& runs_;
  int jobs_ = 1;
  std::atomic<std::size_t> next_{0};
  std::mutex mutex_;
  std::size_t printed_ = 0;
};

}  // namespace

bool buildNet(const std::string& directory, std::string& summary, std::string& failure) {
  std::ifstream in(directory + "/geom.cod", std::ios::binary);
  if (!in) return (failure = "geom.cod not found in this project", false);
  // One byte more than the parser takes, so that it can say the file is too long.
  std::string text(solver::kMaxInputBytes + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (in.bad()) return (failure = "geom.cod not readable", false);
  text.resize(static_cast<std::size_t>(in.gcount()));
  solver::GunDescription gun;
  solver::ClassifiedMesh mesh;
  solver::Diagnostic diagnostic;
  if (!solver::parseGunDescription(text, gun, diagnostic) || !solver::buildMesh(gun, mesh, diagnostic))
    return (failure = solver::formatDiagnostic("geom.cod", diagnostic), false);
  std::vector<solver::OutlinePoint> points;
  if (!solver::layOutOutline(gun, points, failure)) return false;
  std::string error;
  if (!runtime::writeWholeFile(directory + "/geom.dat", solver::geometryFileText(gun.mesh, points), error))
    return (failure = "geom.dat not written: " + error, false);
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
  return std::all_of(runs.begin(), runs.end(), [](const Run& r) { return r.ok; }) ? 0 : 1;
}

}  // namespace kelm::solvecli
