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

// The names in a project list: one a line (blank lines and a final newline ignored, a CR
// before the newline dropped), or each ended by NUL. False with a reason for a name that
// cannot be a path (an embedded NUL in a line list).
bool readProjectList(std::string_view text, bool nullSeparated, std::vector<std::string>& names,
                     std::string& error);

// Every shards-th name from the shard-th, counted from 0, in order.
std::vector<std::string> shardOf(const std::vector<std::string>& names, int shard, int shards);

std::string helpText();
std::string versionText();

}  // namespace kelm::solvecli
