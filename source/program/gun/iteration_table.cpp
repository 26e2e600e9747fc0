#include "source/program/gun/iteration_table.h"

#include "source/project_files/solve_record.h"

namespace kelm {
namespace {

std::vector<std::string_view> cellsOf(std::string_view line) {
  std::vector<std::string_view> cells;
  for (std::size_t start = 0;;) {
    const std::size_t comma = line.find(',', start);
    cells.push_back(line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
    if (comma == std::string_view::npos) return cells;
    start = comma + 1;
  }
}

}  // namespace

bool iterationChanges(std::string_view text, std::vector<double>& changes, std::string& why) {
  changes.clear();
  std::size_t column = 0, lineNumber = 0;
  for (std::size_t start = 0; start < text.size(); ++lineNumber) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::vector<std::string_view> cells = cellsOf(text.substr(start, end - start));
    start = end + 1;
    if (lineNumber == 0) {
      while (column < cells.size() && cells[column] != "change") ++column;
      if (column == cells.size()) return (why = "solve.csv has no \"change\" column", false);
      continue;
    }
    const std::string cell(column < cells.size() ? cells[column] : std::string_view());
    double value = 0;
    if (!projectfiles::parseRecordNumber(cell, value))
      return (why = "solve.csv line " + std::to_string(lineNumber + 1) + ": the change is not a number", false);
    changes.push_back(value);
  }
  if (lineNumber == 0) return (why = "solve.csv is empty", false);
  return true;
}

}  // namespace kelm
