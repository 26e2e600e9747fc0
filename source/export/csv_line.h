#pragma once
// One line of a CSV file: numbers written in the fewest digits that read back to the same
// value, text quoted where it holds a comma, a quote or a line break.

#include <cstdint>
#include <string>
#include <string_view>

namespace kelm::exporting {

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

// A number as CsvLine writes it.
std::string numberText(double value);

}  // namespace kelm::exporting
