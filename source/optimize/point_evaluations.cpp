#include "source/optimize/point_evaluations.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>

#include "runtime/whole_file.h"
#include "source/command_line_tools/csv.h"
#include "source/optimize/figure_columns.h"
#include "source/scan/point_runs.h"
#include "source/scan/scan_summary.h"
#include "source/scan/slurm_jobs.h"
#include "source/scan/substitution.h"

namespace kelm::optimize {
namespace fs = std::filesystem;
namespace {

constexpr const char* kMark = ".kelm-optimize";  // in an OUTDIR whose points are the search's

// kelm-export's summary of the projects into csv; its status 1 only says some have no results.
bool exportSummary(const std::vector<std::string>& projects, const Problem& problem, int jobs,
                   const std::string& csvFile, std::string& csv, std::string& error) {
  std::vector<std::string> argv{scan::siblingProgram("kelm-export"), "--summary-csv", csvFile, "--jobs",
                                std::to_string(std::max(2, jobs))};
  if (problem.z) argv.insert(argv.end(), {"--z", scan::shortestText(*problem.z)});
  argv.insert(argv.end(), projects.begin(), projects.end());
  std::error_code ec;
  fs::remove(csvFile, ec);
  const std::string log = csvFile + ".log";
  if (scan::runProgram(argv, log, error) < 0) return false;
  const bool read = scan::readFile(csvFile, csv);
  fs::remove(csvFile, ec);
  if (!read) return (error = "kelm-export wrote no summary; see " + log, false);
  fs::remove(log, ec);
  return true;
}

}  // namespace

PointEvaluations::PointEvaluations(scan::ProjectTemplate project, Problem problem, RunOptions options)
    : project_(std::move(project)), problem_(std::move(problem)), options_(std::move(options)) {
  for (const auto& p : problem_.parameters) sweep_.names.push_back(p.name);
}

bool PointEvaluations::readFigureNames(std::string& error) {
  const std::string file =
      (fs::temp_directory_path() / ("kelm-optimize-" + std::to_string(::getpid()) + "-header.csv")).string();
  std::string csv;
  if (!exportSummary({project_.directory}, problem_, 1, file, csv, error)) return false;
  std::vector<cli::CsvRow> rows;
  if (!cli::readCsv(csv, rows, error) || rows.empty()) return (error = "kelm-export's summary has no header", false);
  header_ = rows.front().cells;
  return findFigures(problem_, header_, columns_, error);
}

bool PointEvaluations::mayUseOutdir(std::string& error) const {
  std::error_code ec;
  if (!fs::exists(options_.outdir + "/manifest.csv", ec) || fs::exists(options_.outdir + "/" + kMark, ec)) return true;
  return (error = options_.outdir + " holds a scan's points, not an optimization's: left alone", false);
}

bool PointEvaluations::solve(const std::vector<std::string>& names, std::string& error) {
  if (!options_.slurm) {
    // kelm-scan's line per point would name the wrong program; kelm-optimize says its own.
    std::FILE* quiet = std::fopen("/dev/null", "w");
    // Cores that no point of the batch takes speed up its solves; the results do not depend on it.
    const int threads = std::max(1, options_.jobs / int(names.size()));
    const scan::PointRuns runs =
        scan::solvePoints(options_.outdir, names, options_.jobs, quiet ? quiet : stderr, threads);
    if (quiet) std::fclose(quiet);
    solvedHere_ += runs.solved + runs.failed;
    solvedBefore_ += runs.unchanged;
    return true;
  }
  // One array task per new point; each task's share of the manifest holds exactly one of them,
  // and points solved before are passed over by their records.
  const scan::SlurmScripts s = scan::slurmScripts(scan::siblingProgram("kelm-scan"), options_.outdir, names.size(),
                                                  options_.jobs);
  const std::string script = options_.outdir + "/slurm/optimize-array.sbatch";
  if (!runtime::makeDirectory(options_.outdir + "/slurm", error) || !runtime::writeWholeFile(script, s.array, error))
    return false;
  const int status = scan::runProgram({"sbatch", "--wait", script}, options_.outdir + "/slurm/sbatch.out", error);
  if (status < 0) return false;
  if (status != 0)
    std::fprintf(stderr, "kelm-optimize: sbatch --wait ended with status %d; see %s/slurm\n", status,
                 options_.outdir.c_str());
  solvedHere_ += names.size();
  return true;
}

bool PointEvaluations::readFigures(const std::vector<std::string>& names, std::vector<std::vector<std::string>>& rows,
                                   std::string& error) {
  std::vector<std::string> projects;
  for (const auto& name : names) projects.push_back(options_.outdir + "/" + name);
  std::string csv;
  if (!exportSummary(projects, problem_, options_.jobs, options_.outdir + "/.kelm-optimize-export.csv", csv, error))
    return false;
  std::vector<cli::CsvRow> table;
  if (!cli::readCsv(csv, table, error)) return false;
  // A row belongs to the point its directory names, never to the place it comes in.
  std::map<std::string, std::vector<std::string>> byName;
  for (std::size_t r = 1; r < table.size(); ++r)
    if (!table[r].cells.empty()) {
      const std::string& dir = table[r].cells.front();
      byName.try_emplace(dir.substr(dir.rfind('/') + 1), table[r].cells);
    }
  rows.clear();
  for (const auto& name : names) rows.push_back(byName.count(name) ? byName[name] : std::vector<std::string>());
  return true;
}

bool PointEvaluations::evaluate(const std::vector<std::vector<double>>& xs, std::vector<Evaluation>& out,
                                std::string& error) {
  out.clear();
  if (sweep_.points.size() + xs.size() > std::size_t(kMaxEvaluations))
    return (error = "more than " + std::to_string(kMaxEvaluations) + " points", false);
  std::vector<std::string> names;
  const std::size_t first = sweep_.points.size();
  for (const auto& x : xs) {
    std::vector<std::string> values;
    for (double v : x) values.push_back(scan::shortestText(v));
    sweep_.points.push_back(values);
    names.push_back(scan::pointName(sweep_.points.size() - 1, kMaxEvaluations));
  }
  if (!scan::makePoints(project_, sweep_, options_.outdir, error, first) ||
      (first == 0 && !runtime::writeWholeFile(options_.outdir + "/" + kMark, "", error)) || !solve(names, error))
    return false;
  std::vector<std::vector<std::string>> rows;
  if (!readFigures(names, rows, error)) return false;
  for (std::size_t i = 0; i < xs.size(); ++i) {
    Evaluation e{xs[i], names[i], scan::pointStatus(options_.outdir + "/" + names[i]), rows[i], {}};
    e.judgement = judged(problem_, columns_, e.status, e.cells);
    out.push_back(std::move(e));
  }
  return true;
}

}  // namespace kelm::optimize
