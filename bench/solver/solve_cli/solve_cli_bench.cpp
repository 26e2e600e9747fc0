// kelm-solve end to end, as a script runs it: Build net and Solve, every file written, on copies
// of the bundled examples. One project with one job (its solve on every core), and two projects
// with two jobs (each on one thread), so that the two ways of sharing the cores show side by side.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "source/solve_cli/project_runs.h"

namespace kelm::solvecli {
namespace {

namespace fs = std::filesystem;

class Scratch {
 public:
  Scratch() : root_(fs::temp_directory_path() / ("kelm-bench-solve-" + std::to_string(::getpid()))) {}
  ~Scratch() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  // Fresh copies of an example, named example-1, example-2, ...
  std::vector<std::string> copies(const std::string& example, int count) const {
    std::vector<std::string> projects;
    for (int i = 1; i <= count; ++i) {
      const fs::path to = root_ / (example + "-" + std::to_string(i));
      fs::remove_all(to);
      fs::create_directories(to);
      fs::copy(fs::path(KELM_EXAMPLES_DIR) / example, to, fs::copy_options::recursive);
      projects.push_back(to.string());
    }
    return projects;
  }

 private:
  fs::path root_;
};

void solveCopies(benchmark::State& state, const char* example) {
  static const Scratch scratch;
  const int jobs = static_cast<int>(state.range(0));
  const std::vector<std::string> projects = scratch.copies(example, jobs);
  std::FILE* sink = std::fopen("/dev/null", "w");
  SolveOptions options;
  options.jobs = jobs;
  for (auto _ : state) {
    if (runProjects(projects, options, {sink, sink}) != 0) {
      state.SkipWithError("a project failed");
      break;
    }
  }
  std::fclose(sink);
  state.counters["projects_per_s"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * jobs, benchmark::Counter::kIsRate);
}

void FullExample(benchmark::State& state) { solveCopies(state, "full"); }
void SimpleExample(benchmark::State& state) { solveCopies(state, "simple"); }

// The argument is the number of jobs, and of projects.
BENCHMARK(FullExample)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(SimpleExample)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace kelm::solvecli

BENCHMARK_MAIN();
