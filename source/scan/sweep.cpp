#include "source/scan/sweep.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

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

// A value goes into a project file as it is: it must stay on its line and be a word there.
bool valueIsSafe(std::string_view v, std::string& why) {
  if (v.empty()) return (why = "an empty value", false);
  for (const char c : v)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f || c == '"' || c == ' ' || c == '\t' || c == '$')
      return (why = "a value with a space, quote, $ or control character: " + std::string(v), false);
  return true;
}

bool checkNames(const std::vector<std::string>& names, const std::string& where, std::string& error) {
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (!isParameterName(names[i]))
      return (error = where + ": \"" + names[i] + "\" is not a parameter name (letters, digits, _)", false);
    for (std::size_t j = 0; j < i; ++j)
      if (names[j] == names[i]) return (error = where + ": parameter " + names[i] + " given twice", false);
  }
  if (names.empty()) return (error = where + ": no parameters", false);
  return true;
}

bool parseNumber(std::string_view text, double& value) {
  const std::string s(text);
  char* end = nullptr;
  errno = 0;
  value = std::strtod(s.c_str(), &end);
  return !s.empty() && end == s.c_str() + s.size() && errno == 0 && std::isfinite(value);
}

// Twelve digits hide the binary noise of the steps (0.1, not 0.09999999999999999).
std::string stepText(double v) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.12g", v);
  return buffer;
}

// FIRST:LAST:COUNT, evenly spaced, ends exact.
bool expandRange(std::string_view range, std::vector<std::string>& values, std::string& error) {
  const std::size_t a = range.find(':'), b = range.find(':', a + 1);
  double first = 0, last = 0, count = 0;
  if (b == range.npos || range.find(':', b + 1) != range.npos || !parseNumber(range.substr(0, a), first) ||
      !parseNumber(range.substr(a + 1, b - a - 1), last) || !parseNumber(range.substr(b + 1), count))
    return (error = "\"" + std::string(range) + "\" is not a range FIRST:LAST:COUNT", false);
  if (count < 1 || count > double(kMaxPoints) || count != std::floor(count) || (count == 1 && first != last))
    return (error = "the count of \"" + std::string(range) + "\" must be a whole number from 2 to " +
                    std::to_string(kMaxPoints) + " (1 when FIRST and LAST are equal)",
            false);
  const int n = int(count);
  for (int i = 0; i < n; ++i)
    values.push_back(stepText(i == n - 1 ? last : first + (last - first) * i / std::max(1, n - 1)));
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
  bool header = true;
  int lineNumber = 0;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == text.npos) end = text.size();
    const std::string_view line = trimmed(text.substr(start, end - start));
    start = end + 1;
    const std::string where = file + ":" + std::to_string(++lineNumber);
    if (line.empty()) continue;
    const auto row = cells(line);
    if (header) {
      for (auto c : row) sweep.names.emplace_back(c);
      if (!checkNames(sweep.names, where, error)) return false;
      header = false;
      continue;
    }
    if (row.size() != sweep.names.size())
      return (error = where + ": " + std::to_string(row.size()) + " values for " +
                      std::to_string(sweep.names.size()) + " parameters",
              false);
    std::vector<std::string> point;
    for (std::size_t i = 0; i < row.size(); ++i) {
      std::string why;
      if (!valueIsSafe(row[i], why)) return (error = where + ": parameter " + sweep.names[i] + ": " + why, false);
      point.emplace_back(row[i]);
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
