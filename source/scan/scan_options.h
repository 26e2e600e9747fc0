#pragma once
// What kelm-scan is asked to do, read from its command line.

#include <string>

namespace kelm::scan {

enum class Request { kMake, kShard, kMerge, kHelp, kVersion, kUsageError };

struct ScanOptions {
  std::string templateDirectory, sweep, outdir;
  int jobs = 0;  // points solved at once, 0: one per core; with --slurm, tasks running at once
  bool slurm = false, dryRun = false;
  bool makeOnly = false;      // make the points, solve none
  int shard = 0, shards = 1;  // --shard K/N
};

struct ScanCommandLine {
  Request request = Request::kMake;
  ScanOptions options;
  std::string error;
};

ScanCommandLine parseScanCommandLine(int argc, const char* const* argv);

std::string scanHelpText();

}  // namespace kelm::scan
