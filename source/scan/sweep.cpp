#include "source/scan/sweep.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "runtime/fp_traps.h"
#include "source/command_line_tools/csv.h"
#include "source/command_line_tools/option_values.h"

namespace kelm::scan {
namespace {

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> cells(std::string_view line) {
  std::vector<std::string_view> out;
  for (std::size_t start = 0;;) {
    const std::size_t comma = line.find(',', start);
    out.push_back(trimmed(line.substr(start, comma == std::string_view::npos ? line.npos : comma - start)));
    if (comma == std::string_view::npos) return out;
    start = comma + 1;
  }
}

// The number a whole value reads as, if it is one, with strtod's overflow to infinity.
std::optional<double> numberOf(std::string_view text) {
  const std::string s(text);
  char* end = nullptr;
  double value = 0;
  {
    // The overflow strtod raises would trip a thread's traps before the infinity is refused.
    const FloatingPointTrapsSuspended untrapped;
    value = std::strtod(s.c_str(), &end);
  }
  if (s.empty() || end != s.c_str() + s.size()) return std::nullopt;
  return value;
}

// A value goes into a project file as it is: it must stay one word on its line (no blank,
// quote, comment, separator or line break), be no infinity, and never look like a formula to a
// spreadsheet opening manifest.csv or summary.csv. Such values are refused rather than written
// with an apostrophe, which every other reader (kelm-scan itself, pandas) would take as part of
// the value.
bool valueIsSafe(std::string_view v, std::string& why) {
  if (v.empty()) return (why = "an empty value", false);
  for (const char ch : v) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7f || std::string_view(" \t\"'$#,/*").find(ch) != std::string_view::npos)
      return (why = "a value with a blank, quote, $, #, comma, / or *, or a control character: " + cli::shownText(v),
              false);
  }
  const auto number = numberOf(v);
  if (number && !std::isfinite(*number)) return (why = "a value that is no finite number: " + cli::shownText(v), false);
  if (!number && std::string_view("=+-@").find(v.front()) != std::string_view::npos)
    return (why = "a value that begins with " + std::string(1, v.front()) + " and is no number: " + cli::shownText(v),
            false);
  return true;
}

bool checkNames(const std::vector<std::string>& names, const std::string& where, std::string& error) {
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (!isParameterName(names[i]))
      return (error = where + ": " + cli::quoted(names[i]) + " is not a parameter name (letters, digits, _)", false);
    for (std::size_t j = 0; j < i; ++j)
      if (names[j] == names[i]) return (error = where + ": parameter " + names[i] + " given twice", false);
  }
  if (names.empty()) return (error = where + ": no parameters", false);
  return true;
}

bool parseNumber(std::string_view text, double& value) {
  const auto number = numberOf(text);
  return number && std::isfinite(value = *number);
}

// The fewest decimals, up to twelve, that write v exactly enough; none when v needs more.
std::optional<int> decimalsOf(double v) {
  for (int d = 0; d <= 12; ++d) {
    const double scale = std::pow(10.0, d);
    if (!(std::fabs(v) * scale < 0x1p52)) return std::nullopt;
    if (std::fabs(std::round(v * scale) / scale - v) <= 1e-13 * std::fabs(v)) return d;
  }
  return std::nullopt;
}

// Twelve digits hide the binary noise of the steps (0.1, not 0.09999999999999999).
std::string stepText(double v) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.12g", v + 0.0);  // + 0.0: no "-0"
  return buffer;
}

// FIRST:LAST:COUNT, evenly spaced: FIRST + i STEP, rounded to the decimals of FIRST and STEP so
// that a value meant to be 0 is 0; LAST exact.
bool expandRange(std::string_view range, std::vector<std::string>& values, std::string& error) {
  const std::size_t a = range.find(':'), b = range.find(':', a + 1);
  double first = 0, last = 0, count = 0;
  if (b == range.npos || range.find(':', b + 1) != range.npos || !parseNumber(range.substr(0, a), first) ||
      !parseNumber(range.substr(a + 1, b - a - 1), last) || !parseNumber(range.substr(b + 1), count))
    return (error = "\"" + std::string(range) + "\" is not a range FIRST:LAST:COUNT of finite numbers", false);
  if (count < 1 || count > double(kMaxPoints) || count != std::floor(count) || (count == 1 && first != last))
    return (error = "the count of \"" + std::string(range) + "\" must be a whole number from 2 to " +
                    std::to_string(kMaxPoints) + " (1 when FIRST and LAST are equal)",
            false);
  const int n = int(count);
  const double step = n == 1 ? 0.0 : (last - first) / (n - 1);
  // 1e308:-1e308:3 would step by infinity.
  if (!std::isfinite(step) || !std::isfinite(last - first))
    return (error = "\"" + std::string(range) + "\" steps beyond the largest number", false);
  const auto stepDecimals = decimalsOf(step), firstDecimals = decimalsOf(first);
  for (int i = 0; i < n; ++i) {
    double v = i == n - 1 ? last : first + i * step;
    if (stepDecimals && firstDecimals && i < n - 1) {
      const double scale = std::pow(10.0, std::max(*stepDecimals, *firstDecimals));
      if (std::fabs(v) * scale < 0x1p52) v = std::round(v * scale) / scale;
    }
    values.push_back(stepText(v));
  }
  return true;
}

}  // namespace

bool isParameterName(std::string_view name) {
  if (name.empty() || (name[0] >= '0' && name[0] <= '9')) return false;
  for (char c : name)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return false;
  return true;
}

bool readSweepCsv(std::string_view text, const std::string& file, Sweep& sweep, std::string& error) {
  sweep = {};
  std::vector<cli::CsvRow> rows;
  if (!cli::readCsv(text, rows, error)) return (error = file + ": " + error, false);
  bool header = true;
  for (const cli::CsvRow& row : rows) {
    const std::string where = file + ":" + std::to_string(row.line);
    if (row.cells.size() == 1 && trimmed(row.cells[0]).empty()) continue;
    if (header) {
      for (const auto& c : row.cells) sweep.names.emplace_back(trimmed(c));
      if (!checkNames(sweep.names, where, error)) return false;
      header = false;
      continue;
    }
    if (row.cells.size() != sweep.names.size())
      return (error = where + ": " + std::to_string(row.cells.size()) + " values for " +
                      std::to_string(sweep.names.size()) + " parameters",
              false);
    std::vector<std::string> point;
    for (std::size_t i = 0; i < row.cells.size(); ++i) {
      std::string why;
      const std::string_view value = trimmed(row.cells[i]);
      if (!valueIsSafe(value, why)) return (error = where + ": parameter " + sweep.names[i] + ": " + why, false);
      point.emplace_back(value);
    }
    if (sweep.points.size() == kMaxPoints)
      return (error = where + ": more than " + std::to_string(kMaxPoints) + " points", false);
    sweep.points.push_back(std::move(point));
  }
  if (header) return (error = file + ": no header row of parameter names", false);
  if (sweep.points.empty()) return (error = file + ": no points after the header", false);
  return true;
}

bool expandGrid(std::string_view grid, Sweep& sweep, std::string& error) {
  sweep = {};
  // Errors quote the grid's items, which must stay on one line.
  for (const char c : grid)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return (error = "the grid holds a control character", false);
  std::vector<std::vector<std::string>> axes;
  for (std::string_view item : cells(grid)) {
    const std::size_t equals = item.find('=');
    if (equals != item.npos) {
      sweep.names.emplace_back(trimmed(item.substr(0, equals)));
      axes.emplace_back();
      item = trimmed(item.substr(equals + 1));
    } else if (axes.empty()) {
      return (error = "the grid must begin with NAME=", false);
    }
    std::string why;
    const std::string& name = sweep.names.back();
    if (item.find(':') != item.npos) {
      if (!expandRange(item, axes.back(), why)) return (error = "parameter " + name + ": " + why, false);
    } else if (!valueIsSafe(item, why)) {
      return (error = "parameter " + name + ": " + why, false);
    } else {
      axes.back().emplace_back(item);
    }
  }
  if (!checkNames(sweep.names, "grid", error)) return false;
  double total = 1;
  for (const auto& axis : axes) total *= double(axis.size());
  if (total > double(kMaxPoints))
    return (error = "the grid makes more than " + std::to_string(kMaxPoints) + " points", false);
  std::vector<std::size_t> at(axes.size(), 0);
  for (std::size_t n = 0; n < std::size_t(total); ++n) {
    std::vector<std::string> point;
    for (std::size_t i = 0; i < axes.size(); ++i) point.push_back(axes[i][at[i]]);
    sweep.points.push_back(std::move(point));
    for (std::size_t i = axes.size(); i-- > 0;) {
      if (++at[i] < axes[i].size()) break;
      at[i] = 0;
    }
  }
  return true;
}

}  // namespace kelm::scan
