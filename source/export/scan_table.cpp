#include "source/export/scan_table.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "source/command_line_tools/csv.h"
#include "source/export/export_options.h"

namespace kelm::exporting {
namespace {

// A scan of a million points with a few hundred columns; anything larger is no summary.
constexpr std::size_t kMaxRows = 1000000, kMaxColumns = 10000;

std::string_view withoutUnit(std::string_view name) {
  const std::size_t bracket = name.find(" [");
  return bracket != name.npos && name.ends_with(']') ? name.substr(0, bracket) : name;
}

// Columns of text after "status": the statuses of the project files and of the solve, and
// where the figures and an energy came from.
bool isFigure(const ScanTable& table, std::size_t k) {
  static constexpr std::string_view kText[] = {"geom_dat", "mag_dat", "pot_dat", "klplt_res", "solve_status",
                                               "figures_from"};
  const std::string& name = table.names[k];
  return k > table.status && !name.ends_with("energy_source") &&
         std::find(std::begin(kText), std::end(kText), name) == std::end(kText);
}

bool isOfKind(const ScanTable& table, std::size_t k, ColumnKind kind) {
  const bool parameter = k > 0 && k < table.status;
  switch (kind) {
    case ColumnKind::kParameter: return parameter;
    case ColumnKind::kFigure: return isFigure(table, k);
    case ColumnKind::kEither: break;
  }
  return parameter || isFigure(table, k);
}

std::string choices(const ScanTable& table, ColumnKind kind) {
  std::string list;
  for (std::size_t k = 0; k < table.names.size() && list.size() < 300; ++k) {
    if (isOfKind(table, k, kind)) list += (list.empty() ? "" : ", ") + shownText(table.names[k]);
  }
  return list.empty() ? "none" : list;
}

const std::string* cellOf(const std::vector<std::string>& row, std::size_t k) {
  return k < row.size() ? &row[k] : nullptr;
}

std::optional<double> plottedValue(const std::vector<std::string>& row, std::size_t k) {
  const std::string* cell = cellOf(row, k);
  const auto value = cell ? realOf(*cell) : std::nullopt;
  if (!value || !(std::fabs(*value) <= kLargestPlotted)) return std::nullopt;
  return value;
}

void orderLines(std::vector<ScanLine>& lines, bool scatter) {
  for (ScanLine& line : lines) {
    if (scatter) break;
    std::stable_sort(line.points.begin(), line.points.end(),
                     [](const ScanPoint& a, const ScanPoint& b) { return a.x < b.x; });
  }
  const bool numbers = std::all_of(lines.begin(), lines.end(),
                                   [](const ScanLine& l) { return realOf(l.group).has_value(); });
  if (!numbers) return;
  std::stable_sort(lines.begin(), lines.end(),
                   [](const ScanLine& a, const ScanLine& b) { return *realOf(a.group) < *realOf(b.group); });
}

}  // namespace

bool readScanTable(std::string_view text, ScanTable& table, std::string& why) {
  table = {};
  std::vector<cli::CsvRow> rows;
  if (!cli::readCsv(text, rows, why)) return false;
  if (rows.size() > kMaxRows + 1) return (why = "it has more than a million rows", false);
  for (cli::CsvRow& row : rows) {
    if (row.cells.size() > kMaxColumns)
      return (why = "line " + std::to_string(row.line) + " has more than 10000 columns", false);
    if (table.names.empty())
      table.names = std::move(row.cells);
    else
      table.rows.push_back(std::move(row.cells));
  }
  const auto status = std::find(table.names.begin(), table.names.end(), "status");
  if (table.names.empty() || table.names[0] != "directory" || status == table.names.end()) {
    why = "it is not a summary of kelm-scan: its header has no directory and status columns";
    return false;
  }
  table.status = std::size_t(status - table.names.begin());
  return true;
}

std::optional<std::size_t> findColumn(const ScanTable& table, std::string_view name, ColumnKind kind,
                                      std::string& why) {
  const char* what = kind == ColumnKind::kFigure ? "figure" : kind == ColumnKind::kParameter ? "parameter" : "parameter or figure";
  std::optional<std::size_t> found;
  for (std::size_t k = 0; k < table.names.size() && !found; ++k) {
    if (table.names[k] == name) found = k;
  }
  for (std::size_t k = 0; k < table.names.size() && !found; ++k) {
    if (withoutUnit(table.names[k]) == name) found = k;
  }
  if (found && isOfKind(table, *found, kind)) return found;
  why = "\"" + shownText(name) + "\" is " + (found ? std::string("not a ") + what + " column" : "no column") +
        " of the summary; its " + what + " columns: " + choices(table, kind);
  return std::nullopt;
}

bool isFigureColumn(const ScanTable& table, std::size_t k) { return isFigure(table, k); }

ScanSeries scanSeries(const ScanTable& table, std::size_t x, std::size_t y, std::optional<std::size_t> group) {
  ScanSeries series;
  series.scatter = isFigure(table, x);
  std::map<std::string, std::size_t> lineOf;
  for (const std::vector<std::string>& row : table.rows) {
    const std::string* status = cellOf(row, table.status);
    if (status && status->starts_with("failed")) {
      ++series.failed;
      continue;
    }
    const auto px = plottedValue(row, x), py = plottedValue(row, y);
    const std::string* name = group ? cellOf(row, *group) : nullptr;
    if (!px || !py || (group && (!name || name->empty()))) {
      ++series.unusable;
      continue;
    }
    const std::string value = name ? *name : std::string();
    const auto [line, added] = lineOf.try_emplace(value, series.lines.size());
    if (added) series.lines.push_back({value, {}});
    series.lines[line->second].points.push_back({*px, *py, row.empty() ? std::string() : row.front()});
  }
  orderLines(series.lines, series.scatter);
  return series;
}

}  // namespace kelm::exporting
