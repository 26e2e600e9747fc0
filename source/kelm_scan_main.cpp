#include <csignal>
#include <cstdio>
#include <filesystem>

#include "source/command_line_tools/option_values.h"
#include "source/scan/point_runs.h"
#include "source/scan/scan_options.h"
#include "source/scan/scan_points.h"
#include "source/scan/scan_summary.h"
#include "source/scan/slurm_jobs.h"
#include "source/scan/sweep_change.h"

using namespace kelm::scan;

namespace {

int fail(int status, const std::string& error) {
  std::fprintf(stderr, "kelm-scan: %s\n", kelm::cli::shownText(error).c_str());
  return status;
}

bool readSweep(const std::string& argument, Sweep& sweep, std::string& error) {
  std::error_code ec;
  if (std::filesystem::is_regular_file(argument, ec)) {
    std::string text;
    if (!readFile(argument, text)) return (error = argument + ": cannot be read", false);
    return readSweepCsv(text, argument, sweep, error);
  }
  if (argument.find('=') != std::string::npos) return expandGrid(argument, sweep, error);
  return (error = argument + ": no such sweep file, nor a grid NAME=VALUES", false);
}

std::vector<std::string> pointNames(const Sweep& sweep, int shard, int shards) {
  std::vector<std::string> names;
  for (std::size_t i : kelm::cli::shareOf(sweep.points.size(), {shard, shards}))
    names.push_back(pointName(i, sweep.points.size()));
  return names;
}

std::string absolute(const std::string& path) {
  std::error_code ec;
  const auto full = std::filesystem::absolute(path, ec);
  return ec ? path : full.lexically_normal().string();
}

// The summary after solving; 1 when any point is not solved.
int summarize(const std::string& outdir, const Sweep& manifest, int jobs, const std::vector<std::string>& settings) {
  std::string error;
  if (!writeSummary(outdir, manifest, jobs, error, settings)) return fail(1, error);
  const std::size_t unsolved = unsolvedPoints(outdir, manifest);
  std::fprintf(stderr, "kelm-scan: %s/summary.csv written; %zu of %zu points solved\n",
               kelm::cli::shownText(outdir).c_str(), manifest.points.size() - unsolved, manifest.points.size());
  return unsolved == 0 ? 0 : 1;
}

// What the sweep would do to an earlier one's points in outdir; false with why when that is
// refused: the earlier points would change or be left outside without --prune or --force.
bool changedPoints(const std::string& outdir, const Sweep& sweep, const ScanOptions& o, SweepChange& change,
                   std::string& error) {
  std::error_code ec;
  if (!std::filesystem::exists(outdir + "/manifest.csv", ec)) return true;
  Sweep earlier;
  if (!readManifest(outdir, earlier, error)) {
    if (o.force) return true;
    return (error += "; give --force to make the points over it", false);
  }
  change = changeOf(earlier, sweep);
  if (change.none() || o.prune || o.force) return true;
  return (error = refusalOf(outdir, change), false);
}

}  // namespace

int main(int argc, char** argv) {
  std::signal(SIGPIPE, SIG_IGN);
  const ScanCommandLine line = parseScanCommandLine(argc, argv);
  const ScanOptions& o = line.options;
  std::string error;
  Sweep sweep;
  switch (line.request) {
    case Request::kHelp:
      return kelm::cli::answer(scanHelpText());
    case Request::kVersion:
      return kelm::cli::answer("kelm-scan " KELM_VERSION "\n");
    case Request::kUsageError:
      return kelm::cli::usageError("kelm-scan", line.error);
    case Request::kMerge:
      if (!readManifest(o.outdir, sweep, error)) return fail(2, error);
      return summarize(o.outdir, sweep, 1, o.summaryArguments);
    case Request::kShard:
      // A point that fails is recorded and merged; only a task that cannot run fails, so that
      // the merge job still follows.
      if (!readManifest(o.outdir, sweep, error)) return fail(2, error);
      solvePoints(o.outdir, pointNames(sweep, o.shard, o.shards), 1, stderr);
      return 0;
    case Request::kMake:
      break;
  }
  ProjectTemplate project;
  if (!readTemplate(o.templateDirectory, project, error) || !readSweep(o.sweep, sweep, error) ||
      !checkParameters(project, sweep, error))
    return fail(2, error);
  const std::string outdir = absolute(o.outdir);
  // Refused before anything is made: the points would be of no use to the cluster.
  if (o.slurm && !usableInScript(outdir, error)) return fail(2, error);
  SweepChange change;
  if (!changedPoints(outdir, sweep, o, change, error)) return fail(2, error);
  if (!makePoints(project, sweep, outdir, error)) return fail(2, error);
  if (o.prune && !prunePoints(outdir, change.orphaned, error)) return fail(1, error);
  if (!change.orphaned.empty())
    std::fprintf(stderr, "kelm-scan: %zu point%s of the earlier sweep %s\n", change.orphaned.size(),
                 change.orphaned.size() == 1 ? "" : "s", o.prune ? "removed" : "kept outside the manifest");
  std::fprintf(stderr, "kelm-scan: %zu points in %s\n", sweep.points.size(), kelm::cli::shownText(outdir).c_str());
  if (o.slurm) {
    if (!submitScan(absolute(siblingProgram("kelm-scan")), outdir, sweep.points.size(), o.jobs > 0 ? o.jobs : 100,
                    o.summaryArguments, o.dryRun, error))
      return fail(1, error);
    return 0;
  }
  if (o.makeOnly) return 0;
  const int jobs = kelm::cli::jobsOrCores(o.jobs);
  const PointRuns runs = solvePoints(outdir, pointNames(sweep, 0, 1), jobs, stderr);
  if (runs.unchanged > 0)
    std::fprintf(stderr, "kelm-scan: %zu points unchanged since they were solved\n", runs.unchanged);
  return summarize(outdir, sweep, jobs, o.summaryArguments);
}
