#include "source/optimize/figure_columns.h"

#include <set>

#include "source/command_line_tools/option_values.h"

namespace kelm::optimize {
namespace {

// Text columns and the file statuses are no figures to optimize.
bool isFigure(const std::string& column) {
  static const std::set<std::string> text{"directory", "geom_dat", "mag_dat", "pot_dat", "klplt_res", "solve_status"};
  return !text.count(column) && !column.ends_with("energy_source");
}

}  // namespace

std::optional<std::size_t> columnOf(const std::vector<std::string>& header, const std::string& name) {
  for (std::size_t k = 0; k < header.size(); ++k)
    if (isFigure(header[k]) && (header[k] == name || header[k].substr(0, header[k].find(" [")) == name)) return k;
  return std::nullopt;
}

std::string unitOf(const std::string& column) {
  const std::size_t open = column.find(" [");
  if (open == column.npos || !column.ends_with(']')) return "";
  return column.substr(open + 2, column.size() - open - 3);
}

bool findFigures(const Problem& problem, const std::vector<std::string>& header, std::vector<std::size_t>& columns,
                 std::string& error) {
  columns.clear();
  auto find = [&](const FigureName& figure, const std::string& unit) {
    const auto column = columnOf(header, figure.name);
    const std::string where = problem.file + ":" + std::to_string(figure.line) + ": ";
    if (!column) {
      std::string names;
      for (const auto& h : header)
        if (isFigure(h)) names += (names.empty() ? "" : ", ") + h.substr(0, h.find(" ["));
      return (error = where + cli::quoted(figure.name) + " is no figure of kelm-export's summary; it has " + names,
              false);
    }
    if (!unit.empty() && unit != unitOf(header[*column]))
      return (error = where + figure.name + " is in " + (unitOf(header[*column]).empty() ? "no unit" : unitOf(header[*column])) +
                      ", not " + unit,
              false);
    columns.push_back(*column);
    return true;
  };
  if (!find(problem.objective.figure, problem.objective.unit)) return false;
  for (const auto& c : problem.constraints)
    if (!find(c.figure, c.unit)) return false;
  return true;
}

}  // namespace kelm::optimize
