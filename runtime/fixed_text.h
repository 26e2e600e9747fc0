#pragma once
// Fixed-length character variables: always exactly N characters, blank-padded on the right.

#include <algorithm>
#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "runtime/text.h"

namespace kelm {

template <std::size_t N>
class FixedText {
 public:
  FixedText() { chars_.fill(' '); }
  explicit FixedText(std::string_view text) { assign(text); }

  // Assignment cuts a longer text and pads a shorter one, like every character assignment.
  void assign(std::string_view text) { assignPadded(span(), text); }
  FixedText& operator=(std::string_view text) {
    assign(text);
    return *this;
  }

  static constexpr std::size_t size() { return N; }
  std::string_view view() const { return {chars_.data(), N}; }
  std::string_view trimmed() const { return trimRight(view()); }
  std::span<char> span() { return {chars_.data(), N}; }
  std::span<const char> span() const { return {chars_.data(), N}; }
  char& operator[](std::size_t i) { return chars_[i]; }
  char operator[](std::size_t i) const { return chars_[i]; }

 private:
  std::array<char, N> chars_;
};

}  // namespace kelm
