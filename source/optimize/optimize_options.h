#pragma once
// What kelm-optimize is asked to do, read from its command line.

#include <string>

namespace kelm::optimize {

enum class Request { kRun, kHelp, kVersion, kUsageError };

struct OptimizeOptions {
  std::string templateDirectory, problem, outdir;
  int jobs = 0;            // solves at once, 0: one per core; with --slurm, tasks running at once
  int maxEvaluations = 0;  // 0: as PROBLEM says
  bool slurm = false;
};

struct OptimizeCommandLine {
  Request request = Request::kRun;
  OptimizeOptions options;
  std::string error;
};

OptimizeCommandLine parseOptimizeCommandLine(int argc, const char* const* argv);

std::string optimizeHelpText();

}  // namespace kelm::optimize
