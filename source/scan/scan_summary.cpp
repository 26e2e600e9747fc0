#include "source/scan/scan_summary.h"

#include <filesystem>

#include "runtime/whole_file.h"
#include "source/command_line_tools/csv.h"
#include "source/scan/point_runs.h"
#include "source/scan/scan_points.h"

namespace kelm::scan {

std::string pointStatus(const std::string& pointDirectory) {
  const PointState state = readState(pointDirectory);
  if (!state.finished) return "not solved";
  if (state.inputs != inputsHash(pointDirectory)) return "not solved: inputs changed";
  return state.solved ? "solved" : "failed: " + state.failure;
}

std::string joinedSummary(const Sweep& manifest, const std::vector<PointSummary>& points,
                          const std::string& exportCsv) {
  std::vector<cli::CsvRow> rows;
  std::string why;
  // A table that cannot be read leaves every point's figures empty, as a missing one does.
  if (!cli::readCsv(exportCsv, rows, why)) rows.clear();
  const std::vector<std::string> header = rows.empty() ? std::vector<std::string>() : rows.front().cells;
  std::size_t perveance = 0;
  for (std::size_t k = 1; k < header.size(); ++k)
    if (header[k] == "perveance [uP]") perveance = k;
  cli::CsvLine names;
  names.add("directory");
  for (const auto& name : manifest.names) names.add(name);
  names.add("status");
  for (std::size_t k = 1; k < header.size(); ++k) names.add(header[k]);
  std::string csv = names.text();
  for (std::size_t i = 0; i < manifest.points.size(); ++i) {
    cli::CsvLine line;
    line.add(pointName(i, manifest.points.size()));
    for (const auto& value : manifest.points[i]) line.add(value);
    line.add(i < points.size() ? points[i].status : std::string("not solved"));
    std::vector<std::string> cells = i + 1 < rows.size() ? rows[i + 1].cells : std::vector<std::string>();
    cells.resize(header.size());
    if (perveance > 0 && cells[perveance].empty() && i < points.size() && points[i].status == "solved")
      cells[perveance] = points[i].perveance;
    for (std::size_t k = 1; k < cells.size(); ++k) line.add(cells[k]);
    csv += line.text();
  }
  return csv;
}

bool writeSummary(const std::string& outdir, const Sweep& manifest, int jobs, std::string& error) {
  std::string list;
  std::vector<PointSummary> points;
  for (std::size_t i = 0; i < manifest.points.size(); ++i) {
    const std::string dir = outdir + "/" + pointName(i, manifest.points.size());
    list += dir + '\0';  // a directory may hold a line break in its path
    points.push_back({pointStatus(dir), readState(dir).perveance});
  }
  const std::string listFile = outdir + "/.kelm-scan-points", exported = outdir + "/.kelm-scan-export.csv";
  if (!runtime::writeWholeFile(listFile, list, error)) return false;
  std::filesystem::remove(exported);
  // kelm-export's status 1 only says that some point has no results: its rows still come.
  const int status = runProgram({siblingProgram("kelm-export"), "--summary-csv", exported, "--jobs",
                                 std::to_string(std::max(1, jobs)), "--null", "--projects-from", listFile},
                                outdir + "/.kelm-scan-export.log", error);
  std::string csv;
  const bool read = readFile(exported, csv);
  std::filesystem::remove(exported);
  std::filesystem::remove(listFile);
  if (status < 0) return false;
  if (!read) return (error = "kelm-export wrote no summary; see " + outdir + "/.kelm-scan-export.log", false);
  return runtime::writeWholeFile(outdir + "/summary.csv", joinedSummary(manifest, points, csv), error);
}

std::size_t unsolvedPoints(const std::string& outdir, const Sweep& manifest) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < manifest.points.size(); ++i)
    count += pointStatus(outdir + "/" + pointName(i, manifest.points.size())) != "solved";
  return count;
}

}  // namespace kelm::scan
