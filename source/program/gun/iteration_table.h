#pragma once
// solve.csv, the table of a solve's iterations that every solve writes beside its results, as
// the convergence plot reads it.

#include <string>
#include <string_view>
#include <vector>

namespace kelm {

// The "change" column, one value an iteration in order; false, with why, for a table that is
// not one or a cell that is not a finite number.
bool iterationChanges(std::string_view text, std::vector<double>& changes, std::string& why);

}  // namespace kelm
