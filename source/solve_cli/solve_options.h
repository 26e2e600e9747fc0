#pragma once
// What kelm-solve is asked to do, read from its command line.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelm::solvecli {

struct SolveOptions {
  std::vector<std::string> projects;         // directories, or files in them, as given
  std::optional<std::string> projectsFrom;   // a list file, or "-" for standard input
  bool nullSeparated = false;                // the list's names end in NUL, not newline
  bool buildNet = false, solve = false;      // neither given: both, as Batch mode does
  int jobs = 0;                              // projects at once; 0: one per core
  int shard = 0, shards = 1;                 // take projects shard, shard + shards, ...
  bool openPMD = false;                      // also write beam.h5
  std::vector<double> screens_mm;            // --screens: its planes, and beam.h5 too

  bool runsBuildNet() const { return buildNet || !solve; }
  bool runsSolve() const { return solve || !buildNet; }
};

enum class Request { kSolve, kHelp, kVersion, kUsageError };

struct CommandLine {
  Request request = Request::kSolve;
  SolveOptions options;
  std::string error;  // one line, for kUsageError
};

CommandLine parseCommandLine(int argc, const char* const* argv);

// The projects to run: those given and those of --projects-from, this shard's share of them.
// Throws cli::UsageError when the list cannot be read.
std::vector<std::string> projectsToRun(const SolveOptions& options);

std::string helpText();
std::string versionText();

}  // namespace kelm::solvecli
