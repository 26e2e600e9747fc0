#include "runtime/text.h"

#include <algorithm>

namespace kelm {

void assignPadded(std::span<char> dest, std::string_view text) {
  const std::size_t n = std::min(dest.size(), text.size());
  std::copy_n(text.begin(), n, dest.begin());
  std::fill(dest.begin() + static_cast<std::ptrdiff_t>(n), dest.end(), ' ');
}

std::string_view trimRight(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0 && (text[end - 1] == ' ' || text[end - 1] == '\0')) --end;
  return text.substr(0, end);
}

std::string_view trimLeft(std::string_view text) {
  std::size_t begin = 0;
  while (begin < text.size() && text[begin] == ' ') ++begin;
  return text.substr(begin);
}

std::size_t lastSeparatorPosition(std::string_view path) {
  const std::string_view trimmed = trimRight(path);
  const std::size_t at = trimmed.find_last_of("\\/");
  return at == std::string_view::npos ? 0 : at + 1;
}

std::string_view directoryPart(std::string_view path) {
  return path.substr(0, lastSeparatorPosition(path));
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) {
           return lower(x) == lower(y);
         });
}

std::string printable(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7f) {
      shown += c;
    } else if (c == '\n') {
      shown += "\\n";
    } else if (c == '\r') {
      shown += "\\r";
    } else if (c == '\t') {
      shown += "\\t";
    } else {
      constexpr char kHex[] = "0123456789abcdef";
      shown += "\\x";
      shown += kHex[byte >> 4];
      shown += kHex[byte & 0xf];
    }
  }
  return shown;
}

std::string printableName(std::string_view name) { return name.empty() ? "\"\"" : printable(name); }

}  // namespace kelm
