#include "source/scan/scan_options.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "source/command_line_tools/option_table.h"
#include "source/command_line_tools/option_values.h"

namespace kelm::scan {
namespace {

// OUTDIR goes into batch scripts, messages and the paths of every point; a control character in
// it (a pasted line break) is a slip, not a name to keep.
void checkOutdir(const std::string& outdir) {
  if (std::any_of(outdir.begin(), outdir.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }))
    throw cli::UsageError("OUTDIR " + cli::quoted(outdir) +
                          " holds a control character (a line break?); give a name without one");
}

}  // namespace

ScanCommandLine parseScanCommandLine(int argc, const char* const* argv) {
  return cli::readCommandLine<ScanCommandLine>(argc, argv, [&](ScanCommandLine& line) {
    ScanOptions& o = line.options;
    std::vector<std::string> operands;
    bool merge = false;
    cli::OptionTable table(operands);
    table.jobs(o.jobs, "-j,--jobs")
        .flag("--slurm", [&o] { o.slurm = true; })
        .flag("--dry-run", [&o] { o.dryRun = true; })
        .flag("--make-only", [&o] { o.makeOnly = true; })
        .flag("--merge", [&merge] { merge = true; })
        .flag("--prune", [&o] { o.prune = true; })
        .flag("--force", [&o] { o.force = true; })
        .value("--z",
               [&o](const std::string& name, const std::string& value) {
                 cli::planeOf(value);
                 o.summaryArguments.insert(o.summaryArguments.end(), {name, value});
               })
        .value("--range",
               [&o](const std::string& name, const std::string& value) {
                 cli::planeRangeOf(value);
                 o.summaryArguments.insert(o.summaryArguments.end(), {name, value});
               })
        .shard(o.shard, o.shards);
    table.parse(argc, argv);
    const bool shard = table.given("--shard");
    if (o.dryRun && !o.slurm) throw cli::UsageError("--dry-run goes only with --slurm");
    if (o.makeOnly && (o.slurm || table.given("--jobs")))
      throw cli::UsageError("--make-only solves nothing: it goes with neither --jobs nor --slurm");
    if (o.prune && o.force) throw cli::UsageError("--prune and --force exclude each other");
    if (!o.summaryArguments.empty() && (o.makeOnly || shard))
      throw cli::UsageError("--z and --range are for the summary, which neither --make-only nor --shard writes");
    if ((o.prune || o.force) && (merge || shard)) throw cli::UsageError("--prune and --force go only with a sweep");
    if (merge || shard) {
      const std::string name = merge ? "--merge" : "--shard";
      if (merge && shard) throw cli::UsageError("--merge and --shard exclude each other");
      if (operands.size() != 1 || o.slurm || o.makeOnly || table.given("--jobs"))
        throw cli::UsageError(name + " takes OUTDIR alone" + (merge ? " (and --z, --range)" : ""));
      line.request = merge ? Request::kMerge : Request::kShard;
      o.outdir = operands[0];
    } else {
      if (operands.size() != 3) throw cli::UsageError("give TEMPLATE SWEEP OUTDIR");
      o.templateDirectory = operands[0];
      o.sweep = operands[1];
      o.outdir = operands[2];
    }
    checkOutdir(o.outdir);
  });
}

std::string scanHelpText() {
  return R"(Usage: kelm-scan [--jobs N] [--slurm [--dry-run]] [--z Z] [--range Z1:Z2] [--prune | --force]
                 TEMPLATE SWEEP OUTDIR
       kelm-scan --make-only [--prune | --force] TEMPLATE SWEEP OUTDIR
       kelm-scan --merge [--z Z] [--range Z1:Z2] OUTDIR
       kelm-scan --shard K/N OUTDIR

Makes one project per point of a parameter sweep and solves them.

TEMPLATE  a project directory whose geom.cod and klinput.dat hold parameters as ${name},
          or arithmetic over them such as ${anode_z + 2*gap} or ${r*cos(deg*pi/180)}
SWEEP     a CSV file: a header row of names, a row of values per point; or a grid such as
          "gap=8:12:5, volts=10000,20000" (FIRST:LAST:COUNT ranges and lists, every
          combination). A value is one word: no blank, quote, $, #, comma, / or *, no
          infinity, and no = + - @ before what is no number (a spreadsheet's formula)
OUTDIR    receives p0001, p0002, ... with the values substituted as written, manifest.csv
          mapping each directory to its values and, once solved, summary.csv

  --jobs N     solve N points at once on this machine (Build net, then Solve, by kelm-solve),
               1 to 256 (default: one per core), then write summary.csv; points solved before
               from the same inputs are kept
  --make-only  make the points and manifest.csv, solve none
  --slurm      write OUTDIR/slurm/scan-array.sbatch (a job array) and scan-merge.sbatch and
               submit them with sbatch, the merge after the array; with --jobs N, at most
               N tasks run at once
  --dry-run    with --slurm: write the batch scripts, submit nothing
  --merge      write OUTDIR/summary.csv from the points as they are
  --z Z        the summary's plane in mm (default: the middle of each point's z range), as
               kelm-export --z
  --range Z1:Z2  the summary's range_* columns: the largest r_max, the r_rms ripple and the
               largest rms emittance from Z1 to Z2 mm, as kelm-export --range
  --prune      when OUTDIR holds a scan of another sweep: remove its points that the new
               sweep has no place for
  --force      the same, but keep those points' directories as they are
  --shard K/N  solve the points K, K + N, ... (from 0) of OUTDIR's manifest, one at a time
  --version, --help

summary.csv holds the manifest's columns, a status column ("solved", "not-converged",
"vacuum", "failed: WHY", "not solved", "not solved: inputs changed") and kelm-export's
summary figures, one row per point in manifest order, empty where a point is not solved.
A point is kept when its solve's record holds the hash of every file it read as it is now.
manifest.csv's last column, sweep-hash, names the sweep that made each point (the first 16
hex digits of the SHA-256 of its names and values). Run again with the same sweep, or one that
only adds points, kelm-scan resumes; a sweep that would change a point's values or leave a
point outside it is refused, naming those points, unless --prune or --force is given.
Exit status: 0 all done, 1 some point failed or a file could not be written, 2 bad usage or
input (then nothing is made).
)";
}

}  // namespace kelm::scan
