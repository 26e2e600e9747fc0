#pragma once
// What kelm-scan is asked to do, read from its command line.

#include <string>
#include <vector>

namespace kelm::scan {

enum class Request { kMake, kShard, kMerge, kHelp, kVersion, kUsageError };

struct ScanOptions {
  std::string templateDirectory, sweep, outdir;
  int jobs = 0;  // points solved at once, 0: one per core; with --slurm, tasks running at once
  bool slurm = false, dryRun = false;
  bool makeOnly = false;      // make the points, solve none
  int shard = 0, shards = 1;  // --shard K/N
  // --z and --range as given, checked, for kelm-export's summary of the points.
  std::vector<std::string> summaryArguments;
  bool prune = false, force = false;  // what becomes of the points another sweep left
};

struct ScanCommandLine {
  Request request = Request::kMake;
  ScanOptions options;
  std::string error;
};

ScanCommandLine parseScanCommandLine(int argc, const char* const* argv);

std::string scanHelpText();

}  // namespace kelm::scan
