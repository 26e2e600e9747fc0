#include "source/export/solve_figure_columns.h"

#include <cmath>
#include <limits>
#include <optional>

#include "source/export/escaped_text.h"
#include "source/project_files/solve_record.h"

namespace kelm::exporting {
namespace {

using projectfiles::recordNumber;

// Taken over as the record gives them.
constexpr const char* kCopied[] = {"surface_field_max [kV/mm]", "surface_field_max_z [mm]", "surface_field_max_r [mm]",
                                   "surface_field_electrode",   "surface_field_ok",         "emitted_current [A]"};
constexpr const char* kShares[] = {"exit_current [A]", "reflected_current [A]"};
constexpr std::string_view kIntercepted = "intercepted_current [A]:", kSurface = "surface_field_max [kV/mm]:";

// "name:value name:value" of the rows whose key starts with prefix, and their sum: none when a
// value is no number or the values add up beyond a double.
std::string byElectrode(const projectfiles::SolveRecord& record, std::string_view prefix, std::optional<double>* sum) {
  std::string cell;
  for (const auto& [key, value] : record.figures) {
    if (!key.starts_with(prefix)) continue;
    if (sum && *sum) {
      double x = 0;
      const bool fits = projectfiles::parseRecordNumber(value, x) &&
                        std::fabs(x) <= std::numeric_limits<double>::max() - std::fabs(**sum);
      if (fits) **sum += x;
      else sum->reset();
    }
    cell += (cell.empty() ? "" : " ") + key.substr(prefix.size()) + ":" + value;
  }
  return escapedText(cell);
}

}  // namespace

std::vector<std::string> solveFigureNames() {
  std::vector<std::string> names(std::begin(kCopied), std::end(kCopied));
  names.insert(names.end(), {"surface_field_by_electrode", "intercepted_current [A]", "intercepted_by_electrode"});
  names.insert(names.end(), std::begin(kShares), std::end(kShares));
  return names;
}

std::vector<std::string> solveFigureCells(const projectfiles::SolveRecord* record) {
  std::vector<std::string> cells;
  auto figure = [&](std::string_view key) {
    const std::string* value = record ? projectfiles::recordFigure(*record, key) : nullptr;
    return value ? escapedText(*value) : std::string();
  };
  for (const char* key : kCopied) cells.push_back(figure(key));
  cells.push_back(record ? byElectrode(*record, kSurface, nullptr) : "");
  std::optional<double> intercepted = 0.0;
  const std::string by = record ? byElectrode(*record, kIntercepted, &intercepted) : "";
  const bool beam = !figure("emitted_current [A]").empty();
  cells.push_back(beam && intercepted ? recordNumber(*intercepted) : "");
  cells.push_back(by);
  for (const char* key : kShares) cells.push_back(figure(key));
  return cells;
}

}  // namespace kelm::exporting
