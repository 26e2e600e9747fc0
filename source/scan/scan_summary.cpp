#include "source/scan/scan_summary.h"

#include <filesystem>
#include <map>

#include "runtime/whole_file.h"
#include "source/command_line_tools/csv.h"
#include "source/project_files/solve_record.h"
#include "source/scan/point_runs.h"
#include "source/scan/scan_points.h"

namespace kelm::scan {
namespace {

constexpr const char* kNoFigures = "no figures";

}  // namespace

std::string pointStatus(const std::string& pointDirectory) {
  const PointState state = readState(pointDirectory);
  if (state.finished && !state.solved) return "failed: " + state.failure;
  projectfiles::SolveRecord record;
  switch (projectfiles::resultsState(pointDirectory, &record)) {
    case projectfiles::ResultsState::kNoRecord: return "not solved";
    case projectfiles::ResultsState::kIncomplete: return "not solved: results incomplete";
    case projectfiles::ResultsState::kComplete: break;
  }
  if (record.status == projectfiles::SolveStatus::kFailed) return "failed: " + record.failure;
  if (!projectfiles::filesMatch(pointDirectory, record.inputs)) return "not solved: inputs changed";
  return std::string(projectfiles::statusName(record.status));
}

bool isSolved(const std::string& status) {
  return status == "solved" || status == "not-converged" || status == "vacuum";
}

std::string joinedSummary(const Sweep& manifest, const std::vector<std::string>& statuses,
                          const std::string& exportCsv) {
  std::vector<cli::CsvRow> rows;
  std::string why;
  // A table that cannot be read leaves every point's figures empty, as a missing one does.
  if (!cli::readCsv(exportCsv, rows, why)) rows.clear();
  const std::vector<std::string> header = rows.empty() ? std::vector<std::string>() : rows.front().cells;
  // A row belongs to the point its directory names, never to the place it comes in: a row
  // kelm-export lost would otherwise move every later figure onto the wrong point.
  std::map<std::string, std::size_t> rowOf;
  for (std::size_t r = 1; r < rows.size(); ++r) {
    const std::string directory = rows[r].cells.empty() ? std::string() : rows[r].cells.front();
    rowOf.try_emplace(directory.substr(directory.rfind('/') + 1), r);
  }
  cli::CsvLine names;
  names.add("directory");
  for (const auto& name : manifest.names) names.add(name);
  names.add("status");
  for (std::size_t k = 1; k < header.size(); ++k) names.add(header[k]);
  std::string csv = names.text();
  for (std::size_t i = 0; i < manifest.points.size(); ++i) {
    const std::string name = pointName(i, manifest.points.size());
    const auto row = rowOf.find(name);
    std::string status = i < statuses.size() ? statuses[i] : std::string("not solved");
    // Figures of results a point does not stand by would pass for its own.
    const bool stands = isSolved(status);
    if (stands && row == rowOf.end()) status += "; " + std::string(kNoFigures);
    cli::CsvLine line;
    line.add(name);
    for (const auto& value : manifest.points[i]) line.add(value);
    line.add(status);
    std::vector<std::string> cells =
        stands && row != rowOf.end() ? rows[row->second].cells : std::vector<std::string>();
    cells.resize(header.size());
    for (std::size_t k = 1; k < cells.size(); ++k) line.add(cells[k]);
    csv += line.text();
  }
  return csv;
}

bool writeSummary(const std::string& outdir, const Sweep& manifest, int jobs, std::string& error,
                  const std::vector<std::string>& settings) {
  std::string list;
  std::vector<std::string> statuses;
  for (std::size_t i = 0; i < manifest.points.size(); ++i) {
    const std::string dir = outdir + "/" + pointName(i, manifest.points.size());
    list += dir + '\0';  // a directory may hold a line break in its path
    statuses.push_back(pointStatus(dir));
  }
  const std::string listFile = outdir + "/.kelm-scan-points", exported = outdir + "/.kelm-scan-export.csv";
  const std::string log = outdir + "/.kelm-scan-export.log";
  if (!runtime::writeWholeFile(listFile, list, error)) return false;
  std::filesystem::remove(exported);
  // kelm-export's status 1 only says that some point has no results: its rows still come. Two
  // worker processes at least, so that a point that ends its worker costs no other point's row.
  std::vector<std::string> argv{siblingProgram("kelm-export"), "--summary-csv", exported, "--jobs",
                                std::to_string(std::max(2, jobs)), "--null", "--projects-from", listFile};
  argv.insert(argv.end(), settings.begin(), settings.end());
  const int status = runProgram(argv, log, error);
  std::string csv;
  const bool read = readFile(exported, csv);
  std::filesystem::remove(exported);
  std::filesystem::remove(listFile);
  if (status < 0) return false;
  if (!read) return (error = "kelm-export wrote no summary; see " + log, false);
  const std::string joined = joinedSummary(manifest, statuses, csv);
  if (!runtime::writeWholeFile(outdir + "/summary.csv", joined, error)) return false;
  std::size_t missing = 0;
  for (std::size_t at = joined.find(kNoFigures); at != joined.npos; at = joined.find(kNoFigures, at + 1)) ++missing;
  if (missing == 0) return true;
  error = outdir + "/summary.csv written, but " + std::to_string(missing) + " solved point" +
          (missing == 1 ? " has" : "s have") + " no figures: kelm-export could not make them; see " + log;
  return false;
}

std::size_t unsolvedPoints(const std::string& outdir, const Sweep& manifest) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < manifest.points.size(); ++i)
    count += !isSolved(pointStatus(outdir + "/" + pointName(i, manifest.points.size())));
  return count;
}

}  // namespace kelm::scan
