#pragma once
// CSV as the command-line programs write and read it. Written: numbers in the fewest digits that
// read back to the same value, text quoted where it holds a comma, a quote or a line break.
// Read: what they write, and what a spreadsheet saves (a byte-order mark, quoted cells, CRLF).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelm::cli {

class CsvLine {
 public:
  CsvLine& add(double value);
  CsvLine& add(float value);
  CsvLine& add(std::int64_t value);
  CsvLine& add(int value) { return add(std::int64_t{value}); }
  CsvLine& add(std::string_view text);
  CsvLine& addEmpty();
  template <class T>
  CsvLine& addIf(bool present, T value) {
    return present ? add(value) : addEmpty();
  }
  // The line with its end.
  std::string text() const { return line_ + "\n"; }

 private:
  void separate();
  std::string line_;
  bool first_ = true;
};

struct CsvRow {
  std::size_t line = 0;  // counted from 1, where the row starts
  std::vector<std::string> cells;
};

// The rows of a CSV text, blank lines left out. False with why (naming the line) for a quoted
// cell without its closing quote or with text after it.
bool readCsv(std::string_view text, std::vector<CsvRow>& rows, std::string& why);

}  // namespace kelm::cli
