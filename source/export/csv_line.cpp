#include "source/export/csv_line.h"

#include <charconv>

namespace kelm::exporting {

namespace {

template <class T>
void appendNumber(std::string& line, T value) {
  char digits[64];
  const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
  if (error == std::errc()) line.append(digits, end);
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

std::string numberText(double value) {
  std::string text;
  appendNumber(text, value);
  return text;
}

}  // namespace kelm::exporting
