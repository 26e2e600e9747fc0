#pragma once
// The points of a scan: parameter names and, per point, one value each, kept as written so
// that a project made from them is exactly reproducible.

#include <string>
#include <string_view>
#include <vector>

namespace kelm::scan {

struct Sweep {
  std::vector<std::string> names;
  std::vector<std::vector<std::string>> points;  // each as long as names
};

inline constexpr std::size_t kMaxPoints = 100000;

// A CSV file: a header row of names, then one row per point. Blank lines are skipped. Errors
// name the file and the line.
bool readSweepCsv(std::string_view text, const std::string& file, Sweep& sweep, std::string& error);

// The short form "gap=8:12:5, volts=10000,20000": a range FIRST:LAST:COUNT or a list per
// name; every combination, the first name varying slowest.
bool expandGrid(std::string_view grid, Sweep& sweep, std::string& error);

bool isParameterName(std::string_view name);

}  // namespace kelm::scan
