#pragma once
// The summary's columns of a solve's surface field and of where its current went, read from
// the solve's record. A figure the record does not hold stays an empty cell.

#include <string>
#include <vector>

#include "source/project_files/solve_record.h"

namespace kelm::exporting {

std::vector<std::string> solveFigureNames();
// The cells in the order of solveFigureNames(), as CSV text; a record of no solve gives empty ones.
std::vector<std::string> solveFigureCells(const projectfiles::SolveRecord* record);

}  // namespace kelm::exporting
