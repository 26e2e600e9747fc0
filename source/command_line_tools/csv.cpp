#include "source/command_line_tools/csv.h"

#include <charconv>

namespace kelm::cli {

namespace {

template <class T>
void appendNumber(std::string& line, T value) {
  char digits[64];
  const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
  if (error == std::errc()) line.append(digits, end);
}

// One cell from text[at], which ends after the cell's comma or line end; false for a broken quote.
bool readCell(std::string_view text, std::size_t& at, std::size_t& line, std::string& cell, bool& rowEnds) {
  cell.clear();
  if (at < text.size() && text[at] == '"') {
    for (++at;; ++at) {
      if (at >= text.size()) return false;
      if (text[at] == '"' && (at + 1 >= text.size() || text[at + 1] != '"')) break;
      if (text[at] == '"') ++at;
      if (text[at] == '\n') ++line;
      cell += text[at];
    }
    ++at;
    if (at < text.size() && text[at] == '\r') ++at;
    if (at < text.size() && text[at] != ',' && text[at] != '\n') return false;
  } else {
    const std::size_t stop = std::min(text.find_first_of(",\n", at), text.size());
    cell = text.substr(at, stop - at);
    if (cell.ends_with('\r') && (stop == text.size() || text[stop] == '\n')) cell.pop_back();
    at = stop;
  }
  rowEnds = at >= text.size() || text[at] == '\n';
  ++at;
  return true;
}

}  // namespace

void CsvLine::separate() {
  if (!first_) line_ += ',';
  first_ = false;
}

CsvLine& CsvLine::add(double value) {
  separate();
  appendNumber(line_, value);
  return *this;
}

CsvLine& CsvLine::add(float value) {
  separate();
  appendNumber(line_, value);
  return *this;
}

CsvLine& CsvLine::add(std::int64_t value) {
  separate();
  appendNumber(line_, value);
  return *this;
}

CsvLine& CsvLine::add(std::string_view text) {
  separate();
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
    line_ += text;
    return *this;
  }
  line_ += '"';
  for (char c : text) {
    if (c == '"') line_ += '"';
    line_ += c;
  }
  line_ += '"';
  return *this;
}

CsvLine& CsvLine::addEmpty() {
  separate();
  return *this;
}

bool readCsv(std::string_view text, std::vector<CsvRow>& rows, std::string& why) {
  rows.clear();
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  std::size_t at = 0, line = 1;
  while (at < text.size()) {
    CsvRow row{line, {}};
    for (bool rowEnds = false; !rowEnds;) {
      if (!readCell(text, at, line, row.cells.emplace_back(), rowEnds)) {
        why = "line " + std::to_string(row.line) + ": a quoted cell without its closing quote, or with more after it";
        return false;
      }
    }
    ++line;
    if (row.cells.size() > 1 || !row.cells.front().empty()) rows.push_back(std::move(row));
  }
  return true;
}

}  // namespace kelm::cli
