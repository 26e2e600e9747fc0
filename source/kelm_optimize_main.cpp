#include <csignal>
#include <cstdio>
#include <filesystem>

#include "runtime/whole_file.h"
#include "source/command_line_tools/option_values.h"
#include "source/optimize/best_point.h"
#include "source/optimize/optimize_options.h"
#include "source/optimize/search.h"
#include "source/scan/scan_points.h"
#include "source/scan/slurm_jobs.h"

using namespace kelm::optimize;

namespace {

int fail(int status, const std::string& error) {
  std::fprintf(stderr, "kelm-optimize: %s\n", kelm::cli::shownText(error).c_str());
  return status;
}

std::string absolute(const std::string& path) {
  std::error_code ec;
  const auto full = std::filesystem::absolute(path, ec);
  return ec ? path : full.lexically_normal().string();
}

std::string numberText(const std::optional<double>& value) {
  if (!value) return "none";
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", *value);
  return text;
}

std::string timeText(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, seconds < 120 ? "%.0f s" : "%.0f min", seconds < 120 ? seconds : seconds / 60);
  return text;
}

// history.csv rewritten whole after each batch, so that a reader never meets half a row.
class Reporter {
 public:
  Reporter(const PointEvaluations& points, std::string outdir, int most)
      : points_(points), outdir_(std::move(outdir)), most_(most), begin_(std::chrono::steady_clock::now()) {}

  bool write(const std::vector<HistoryRow>& history, std::string& error) const {
    return kelm::runtime::writeWholeFile(outdir_ + "/history.csv",
                                         historyCsv(points_.problem(), points_.header(), history), error);
  }

  void operator()(const std::vector<HistoryRow>& history, std::size_t newRows) const {
    std::string error;
    if (!write(history, error)) std::fprintf(stderr, "kelm-optimize: %s\n", error.c_str());
    const auto best = bestRow(history);
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin_).count();
    for (std::size_t r = history.size() - newRows; r < history.size(); ++r) {
      const Evaluation& e = history[r].evaluation;
      const double left = elapsed / double(history.size()) * double(std::max<std::size_t>(std::size_t(most_), history.size()) - history.size());
      std::fprintf(stderr, "kelm-optimize: evaluation %zu of at most %d: %s %s, objective %s%s; best %s; at most %s left\n",
                   r + 1, most_, e.directory.c_str(), e.status.c_str(), numberText(e.judgement.objective).c_str(),
                   e.judgement.feasible ? "" : (", infeasible: " + e.judgement.reason).c_str(),
                   best ? (numberText(history[*best].evaluation.judgement.objective) + " (" +
                           history[*best].evaluation.directory + ")")
                              .c_str()
                        : "none feasible yet",
                   timeText(left).c_str());
    }
    std::fflush(stderr);
  }

 private:
  const PointEvaluations& points_;
  std::string outdir_;
  int most_;
  std::chrono::steady_clock::time_point begin_;
};

}  // namespace

int main(int argc, char** argv) {
  std::signal(SIGPIPE, SIG_IGN);
  const OptimizeCommandLine line = parseOptimizeCommandLine(argc, argv);
  const OptimizeOptions& o = line.options;
  switch (line.request) {
    case Request::kHelp: return kelm::cli::answer(optimizeHelpText());
    case Request::kVersion: return kelm::cli::answer("kelm-optimize " KELM_VERSION "\n");
    case Request::kUsageError: return kelm::cli::usageError("kelm-optimize", line.error);
    case Request::kRun: break;
  }
  std::string error, text;
  kelm::scan::ProjectTemplate project;
  Problem problem;
  if (!kelm::scan::readTemplate(o.templateDirectory, project, error)) return fail(2, error);
  if (!kelm::scan::readFile(o.problem, text)) return fail(2, o.problem + ": cannot be read");
  if (!readProblem(text, o.problem, problem, error)) return fail(2, error);
  kelm::scan::Sweep names;
  for (const auto& p : problem.parameters) names.names.push_back(p.name);
  if (!kelm::scan::checkParameters(project, names, error)) return fail(2, error);
  const std::string outdir = absolute(o.outdir);
  if (o.slurm && !kelm::scan::usableInScript(outdir, error)) return fail(2, error);
  const int most = o.maxEvaluations > 0 ? o.maxEvaluations : problem.evaluations;
  // As kelm-scan: on a cluster, 100 tasks at once unless --jobs says otherwise.
  const int jobs = o.slurm ? (o.jobs > 0 ? o.jobs : 100) : kelm::cli::jobsOrCores(o.jobs);
  PointEvaluations points(project, problem, {outdir, jobs, o.slurm});
  if (!points.mayUseOutdir(error) || !points.readFigureNames(error)) return fail(2, error);
  std::fprintf(stderr, "kelm-optimize: %s over %zu parameters, at most %d evaluations, in %s\n",
               algorithmName(problem.algorithm), problem.parameters.size(), most, kelm::cli::shownText(outdir).c_str());
  const Reporter reporter(points, outdir, most);
  const SearchOutcome outcome = search(points, most, std::cref(reporter));
  if (!outcome.history.empty() && !reporter.write(outcome.history, error)) return fail(1, error);
  if (!outcome.ok) return fail(1, outcome.stop);
  std::fprintf(stderr, "kelm-optimize: %s after %zu evaluations (%zu solved now, %zu answered from earlier solves)\n",
               outcome.stop.c_str(), outcome.history.size(), points.solvedHere(), points.solvedBefore());
  if (const auto best = bestRow(outcome.history)) {
    const Evaluation& e = outcome.history[*best].evaluation;
    if (!copyBest(outdir, e.directory, error)) return fail(1, error);
    std::fprintf(stderr, "kelm-optimize: best: evaluation %zu, %s, objective %s; its project is in %s/best\n", *best + 1,
                 e.directory.c_str(), numberText(e.judgement.objective).c_str(), kelm::cli::shownText(outdir).c_str());
    return 0;
  }
  const auto least = leastInfeasibleRow(outcome.history);
  if (!least) return fail(1, "no evaluation was made");
  const Evaluation& e = outcome.history[*least].evaluation;
  std::fprintf(stderr, "kelm-optimize: no evaluation was feasible; the least infeasible is evaluation %zu, %s: %s\n",
               *least + 1, e.directory.c_str(), e.judgement.reason.c_str());
  return 3;
}
