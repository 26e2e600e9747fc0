#include "source/scan/scan_summary.h"

#include <filesystem>

#include "runtime/whole_file.h"
#include "source/project_files/solve_record.h"
#include "source/scan/point_runs.h"
#include "source/scan/scan_points.h"

namespace kelm::scan {
namespace {

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == text.npos) end = text.size();
    out.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

std::vector<std::string> cellsOf(const std::string& line) {
  std::vector<std::string> cells;
  for (std::size_t start = 0;;) {
    const std::size_t comma = line.find(',', start);
    cells.push_back(line.substr(start, comma == line.npos ? line.npos : comma - start));
    if (comma == line.npos) return cells;
    start = comma + 1;
  }
}

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
  const auto rows = lines(exportCsv);
  const auto header = cellsOf(rows.empty() ? "" : rows.front());
  std::string csv = "directory";
  for (const auto& name : manifest.names) csv += "," + name;
  csv += ",status";
  for (std::size_t k = 1; k < header.size(); ++k) csv += "," + header[k];
  csv += "\n";
  for (std::size_t i = 0; i < manifest.points.size(); ++i) {
    csv += pointName(i, manifest.points.size());
    for (const auto& value : manifest.points[i]) csv += "," + value;
    const std::string status = i < statuses.size() ? statuses[i] : "not solved";
    csv += "," + status;
    // Figures of results a point does not stand by would pass for its own.
    auto cells = isSolved(status) ? cellsOf(i + 1 < rows.size() ? rows[i + 1] : "") : std::vector<std::string>{};
    cells.resize(header.size());
    for (std::size_t k = 1; k < cells.size(); ++k) csv += "," + cells[k];
    csv += "\n";
  }
  return csv;
}

bool writeSummary(const std::string& outdir, const Sweep& manifest, int jobs, std::string& error) {
  std::string list;
  std::vector<std::string> statuses;
  for (std::size_t i = 0; i < manifest.points.size(); ++i) {
    const std::string dir = outdir + "/" + pointName(i, manifest.points.size());
    list += dir + "\n";
    statuses.push_back(pointStatus(dir));
  }
  const std::string listFile = outdir + "/.kelm-scan-points", exported = outdir + "/.kelm-scan-export.csv";
  if (!runtime::writeWholeFile(listFile, list, error)) return false;
  std::filesystem::remove(exported);
  // kelm-export's status 1 only says that some point has no results: its rows still come.
  const int status = runProgram({siblingProgram("kelm-export"), "--summary-csv", exported, "--jobs",
                                 std::to_string(std::max(1, jobs)), "--projects-from", listFile},
                                outdir + "/.kelm-scan-export.log", error);
  std::string csv;
  const bool read = readFile(exported, csv);
  std::filesystem::remove(exported);
  std::filesystem::remove(listFile);
  if (status < 0) return false;
  if (!read) return (error = "kelm-export wrote no summary; see " + outdir + "/.kelm-scan-export.log", false);
  return runtime::writeWholeFile(outdir + "/summary.csv", joinedSummary(manifest, statuses, csv), error);
}

std::size_t unsolvedPoints(const std::string& outdir, const Sweep& manifest) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < manifest.points.size(); ++i)
    count += !isSolved(pointStatus(outdir + "/" + pointName(i, manifest.points.size())));
  return count;
}

}  // namespace kelm::scan
