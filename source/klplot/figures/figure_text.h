#pragma once
// A beam figure as one line of text: the literal, the number written into a field of fixed
// length, the unit.

#include <cstddef>
#include <string>
#include <string_view>

#include "records/formatted.h"
#include "runtime/fixed_text.h"

namespace kelm::klplot {

// kTrimmed cuts the number's field after its last non-blank, as the printed field line does.
enum class NumberField { kWhole, kTrimmed };

template <std::size_t N, class T>
std::string figureText(std::string_view head, std::string_view format, T value,
                       std::string_view tail, NumberField field = NumberField::kWhole) {
  FixedText<N> number;
  (void)records::writeInternal(number.span(), format, value);
  std::string_view written = number.view();
  if (field == NumberField::kTrimmed) written = written.substr(0, written.find_last_not_of(' ') + 1);
  std::string text(head);
  text.append(written);
  text.append(tail);
  return text;
}

}  // namespace kelm::klplot
