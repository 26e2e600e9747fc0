#pragma once
// kelm-scan's summary.csv as --scan-plot reads it: the parameter columns between "directory"
// and "status", the figure columns after "status", and one figure against one parameter.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelm::exporting {

struct ScanTable {
  std::vector<std::string> names;              // the header row
  std::size_t status = 0;                      // the status column; the parameters come before it
  std::vector<std::vector<std::string>> rows;  // the cells as written
};

// The text of summary.csv, split into its header and rows. False with why (one line) when it
// is no table of kelm-scan: no header, or no "directory" and "status" columns, or too large.
bool readScanTable(std::string_view text, ScanTable& table, std::string& why);

enum class ColumnKind { kParameter, kFigure, kEither };

// The column of that kind named exactly, or without its " [unit]"; nothing with why (one line,
// naming the choices) when there is none.
std::optional<std::size_t> findColumn(const ScanTable& table, std::string_view name, ColumnKind kind,
                                      std::string& why);

// Whether column k holds a figure (a number kelm-export computed), not a parameter or text.
bool isFigureColumn(const ScanTable& table, std::size_t k);

struct ScanPoint {
  double x, y;
  std::string label = {};  // the point's directory
};

struct ScanLine {
  std::string group;  // the --group value as written; empty without --group
  std::vector<ScanPoint> points;  // in increasing x, or as the rows come for a scatter
};

// Values beyond this are left out: the picture is drawn in single precision.
inline constexpr double kLargestPlotted = 1e37;

struct ScanSeries {
  std::vector<ScanLine> lines;  // one per group value (in increasing order when all are numbers)
  std::size_t failed = 0;       // rows whose status says failed
  std::size_t unusable = 0;     // other rows with a value empty, not a number or too large
  bool scatter = false;         // x is a figure too: points that no line joins
};

// The rows' y against x, one line per value of group when one is given; a scatter when x is
// a figure column.
ScanSeries scanSeries(const ScanTable& table, std::size_t x, std::size_t y, std::optional<std::size_t> group);

}  // namespace kelm::exporting
