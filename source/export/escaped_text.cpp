#include "source/export/escaped_text.h"

#include <cstdio>

namespace kelm::exporting {

std::string escapedText(std::string_view text) {
  std::string out;
  auto escape = [&](unsigned char c) {
    char hex[5];
    std::snprintf(hex, sizeof hex, "\\x%02X", c);
    out += hex;
  };
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      // A leading = + - @ would make a spreadsheet run the directory's name as a formula.
      if (c < 0x20 || c == 0x7F || c == ',' || c == '"' || c == '#' || c == '\\' ||
          (i == 0 && (c == '=' || c == '+' || c == '-' || c == '@')))
        escape(c);
      else
        out += char(c);
      ++i;
      continue;
    }
    // A whole UTF-8 sequence of 2 to 4 bytes (no overlong form, no surrogate) stays as it is.
    const std::size_t length = c >= 0xC2 && c <= 0xDF   ? 2
                               : c >= 0xE0 && c <= 0xEF ? 3
                               : c >= 0xF0 && c <= 0xF4 ? 4
                                                        : 0;
    bool whole = length > 0 && i + length <= text.size();
    for (std::size_t k = 1; whole && k < length; ++k)
      whole = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
    if (whole && length >= 3) {
      const auto second = static_cast<unsigned char>(text[i + 1]);
      whole = !(c == 0xE0 && second < 0xA0) && !(c == 0xED && second >= 0xA0) &&
              !(c == 0xF0 && second < 0x90) && !(c == 0xF4 && second >= 0x90);
    }
    if (whole) {
      out.append(text.substr(i, length));
      i += length;
    } else {
      escape(c);
      ++i;
    }
  }
  return out;
}

}  // namespace kelm::exporting
