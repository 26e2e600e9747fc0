#include "source/scan/scan_options.h"

#include <charconv>
#include <string_view>
#include <vector>

#include "runtime/info_arguments.h"

namespace kelm::scan {
namespace {

bool parseCount(std::string_view text, int low, int& value) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && value >= low && value <= 100000;
}

ScanCommandLine usage(std::string error) {
  ScanCommandLine line;
  line.request = Request::kUsageError;
  line.error = std::move(error);
  return line;
}

}  // namespace

ScanCommandLine parseScanCommandLine(int argc, const char* const* argv) {
  ScanCommandLine line;
  ScanOptions& o = line.options;
  std::vector<std::string> operands;
  bool merge = false, shard = false, optionsEnd = false;
  // Read in order with the rest: an error before --help or --version is the answer.
  const runtime::InfoArguments info = runtime::findInfoArguments(argc, argv, true);
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    auto value = [&](std::string_view& v) {
      if (i + 1 >= argc) return false;
      v = argv[++i];
      return true;
    };
    std::string_view v;
    if (optionsEnd || a.empty() || a[0] != '-' || a == "-") {
      operands.emplace_back(a);
    } else if (a == "--") {
      optionsEnd = true;
    } else if (i == info.help) {
      line.request = Request::kHelp;
      return line;
    } else if (i == info.version) {
      line.request = Request::kVersion;
      return line;
    } else if (a == "--jobs" || a == "-j") {
      if (!value(v) || !parseCount(v, 1, o.jobs)) return usage("--jobs takes a count from 1");
    } else if (a == "--slurm") {
      o.slurm = true;
    } else if (a == "--dry-run") {
      o.dryRun = true;
    } else if (a == "--merge") {
      merge = true;
    } else if (a == "--shard") {
      const std::size_t slash = value(v) ? v.find('/') : std::string_view::npos;
      if (slash == v.npos || !parseCount(v.substr(0, slash), 0, o.shard) ||
          !parseCount(v.substr(slash + 1), 1, o.shards) || o.shard >= o.shards)
        return usage("--shard takes K/N with 0 <= K < N");
      shard = true;
    } else {
      return usage("unknown option " + std::string(a));
    }
  }
  if (o.dryRun && !o.slurm) return usage("--dry-run goes with --slurm");
  if (merge || shard) {
    if (merge && shard) return usage("--merge and --shard exclude each other");
    if (operands.size() != 1 || o.slurm) return usage(std::string(merge ? "--merge" : "--shard") + " takes OUTDIR alone");
    line.request = merge ? Request::kMerge : Request::kShard;
    o.outdir = operands[0];
    return line;
  }
  if (operands.size() != 3) return usage("give TEMPLATE SWEEP OUTDIR");
  o.templateDirectory = operands[0];
  o.sweep = operands[1];
  o.outdir = operands[2];
  return line;
}

std::string scanHelpText() {
  return R"(Usage: kelm-scan [--jobs N] [--slurm [--dry-run]] TEMPLATE SWEEP OUTDIR
       kelm-scan --merge OUTDIR
       kelm-scan --shard K/N OUTDIR

Makes one project per point of a parameter sweep and solves them.

TEMPLATE  a project directory whose geom.cod and klinput.dat hold parameters as ${name}
SWEEP     a CSV file: a header row of names, a row of values per point; or a grid such as
          "gap=8:12:5, volts=10000,20000" (FIRST:LAST:COUNT ranges and lists, every
          combination)
OUTDIR    receives p0001, p0002, ... with the values substituted as written, manifest.csv
          mapping each directory to its values and, once solved, summary.csv

  --jobs N     solve N points at once on this machine (Build net, then Solve, by kelm-solve),
               then write summary.csv; points solved before from the same inputs are kept
  --slurm      write OUTDIR/slurm/scan-array.sbatch (a job array) and scan-merge.sbatch and
               submit them with sbatch, the merge after the array; with --jobs N, at most
               N tasks run at once
  --dry-run    with --slurm: write the batch scripts, submit nothing
  --merge      write OUTDIR/summary.csv from the points as they are
  --shard K/N  solve the points K, K + N, ... (from 0) of OUTDIR's manifest, one at a time
  --version, --help

summary.csv holds the manifest's columns, a status column ("solved", "not-converged",
"vacuum", "failed: WHY", "not solved", "not solved: inputs changed") and kelm-export's
summary figures, one row per point in manifest order, empty where a point is not solved.
A point is kept when its solve's record holds the hash of every file it read as it is now.
Exit status: 0 all done, 1 some point failed or a file could not be written, 2 bad usage or
input (then nothing is made).
)";
}

}  // namespace kelm::scan
