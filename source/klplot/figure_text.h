#pragma once
// A beam figure as one line of text: the literal, the number written into a field of fixed
// length, the unit.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "records/formatted.h"

namespace kelm::klplot {

// kTrimmed cuts the number's field after its last non-blank, as the printed field line does.
enum class NumberField { kWhole, kTrimmed };

template <std::size_t N, class T>
std::string figureText(std::string_view head, std::string_view format, T value,
                       std::string_view tail, NumberField field = NumberField::kWhole) {
  std::array<char, N> number;
  number.fill(' ');
  (void)records::writeInternal(number, format, value);
  std::string_view written(number.data(), number.size());
  if (field == NumberField::kTrimmed) written = written.substr(0, written.find_last_not_of(' ') + 1);
  std::string text(head);
  text.append(written);
  text.append(tail);
  return text;
}

}  // namespace kelm::klplot
