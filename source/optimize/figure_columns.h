#pragma once
// The figures kelm-optimize reads: the columns of kelm-export's summary, named in full or
// without their " [unit]".

#include <optional>
#include <string>
#include <vector>

#include "source/optimize/problem.h"

namespace kelm::optimize {

// The column of the header named so; none when no column is.
std::optional<std::size_t> columnOf(const std::vector<std::string>& header, const std::string& name);

// The unit in a column's name, "kV/mm" for "surface_field_max [kV/mm]"; empty when none.
std::string unitOf(const std::string& column);

// Each figure the problem names is a column, and a constraint's unit is the column's; false
// with "FILE:LINE: WHY" otherwise. columns gets the objective's column, then each constraint's.
bool findFigures(const Problem& problem, const std::vector<std::string>& header, std::vector<std::size_t>& columns,
                 std::string& error);

}  // namespace kelm::optimize
