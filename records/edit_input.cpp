#include "records/edit_input.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "records/error_numbers.h"
#include "runtime/fp_traps.h"

namespace kelm::records {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string significantChars(std::string_view field, bool blankAsZero) {
  std::string kept;
  kept.reserve(field.size());
  for (char c : field) {
    if (c == ' ' || c == '\t') {
      if (blankAsZero && !kept.empty()) kept.push_back('0');
      continue;
    }
    kept.push_back(c);
  }
  return kept;
}

// Digits with an optional sign; accumulates in 64 bits and stops at the first overflow.
bool parseSignedDigits(std::string_view text, std::size_t& pos, std::int64_t limit,
                       std::int64_t& value, bool& overflow) {
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
  const std::size_t first = pos;
  std::int64_t magnitude = 0;
  overflow = false;
  for (; pos < text.size() && isDigit(text[pos]); ++pos) {
    if (!overflow) {
      magnitude = magnitude * 10 + (text[pos] - '0');
      if (magnitude > limit) overflow = true;
    }
  }
  value = negative ? -magnitude : magnitude;
  return pos > first;
}

}  // namespace

int readIntegerField(std::string_view field, bool blankAsZero, std::int32_t& value) {
  const std::string text = significantChars(field, blankAsZero);
  if (text.empty()) {
    value = 0;
    return 0;
  }
  std::size_t pos = 0;
  std::int64_t parsed = 0;
  bool overflow = false;
  const bool digits = parseSignedDigits(text, pos, std::int64_t{1} << 32, parsed, overflow);
  if (pos != text.size()) return kBadCharacterInNumber;
  if (!digits) {
    // A lone sign reads as zero, as a blank field does.
    value = 0;
    return 0;
  }
  if (overflow || parsed > std::numeric_limits<std::int32_t>::max() ||
      parsed < std::numeric_limits<std::int32_t>::min()) {
    return kIntegerOutOfRange;
  }
  value = static_cast<std::int32_t>(parsed);
  return 0;
}

int readRealField(std::string_view field, int d, bool blankAsZero, double& value) {
  const std::string text = significantChars(field, blankAsZero);
  std::size_t pos = 0;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';

  std::string digits;
  bool point = false;
  long long fractionDigits = 0;
  bool anyDigit = false;
  for (; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (isDigit(c)) {
      anyDigit = true;
      if (!(digits.empty() && c == '0')) digits.push_back(c);
      if (point) ++fractionDigits;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }

  std::int64_t exponent = 0;
  if (pos < text.size()) {
    const char c = text[pos];
    if (c == 'E' || c == 'e' || c == 'D' || c == 'd') ++pos;
    else if (c != '+' && c != '-') return kBadCharacterInNumber;
    bool overflow = false;
    // A cap far beyond any finite real keeps the sum below from overflowing.
    if (!parseSignedDigits(text, pos, 1'000'000, exponent, overflow) || pos != text.size()) {
      return kBadCharacterInNumber;
    }
    if (overflow) exponent = exponent < 0 ? -1'000'000 : 1'000'000;
    if (!anyDigit) return kBadCharacterInNumber;
  }

  if (digits.empty()) {
    value = negative ? -0.0 : 0.0;
    return 0;
  }
  const long long scale = exponent - (point ? fractionDigits : d);
  // Magnitude of the value in decimal places: 10^(magnitude-1) <= |value| < 10^magnitude.
  const long long magnitude = static_cast<long long>(digits.size()) + scale;
  if (magnitude > 310) return kRealOutOfRange;
  if (magnitude < -330) {
    value = negative ? -0.0 : 0.0;
    return 0;
  }
  const std::string decimal = digits + "e" + std::to_string(scale);
  double parsed = 0.0;
  // Near the top of the range the conversion may overflow, which the program thread traps.
  std::optional<FloatingPointTrapsSuspended> untrapped;
  if (magnitude >= 308) untrapped.emplace();
  const auto [end, ec] = std::from_chars(decimal.data(), decimal.data() + decimal.size(), parsed);
  if (ec == std::errc::result_out_of_range) {
    if (magnitude > 0) return kRealOutOfRange;
    parsed = 0.0;
  } else if (ec != std::errc() || !std::isfinite(parsed)) {
    return kRealOutOfRange;
  }
  value = negative ? -parsed : parsed;
  return 0;
}

int readRealField(std::string_view field, int d, bool blankAsZero, float& value) {
  double wide = 0.0;
  if (const int status = readRealField(field, d, blankAsZero, wide); status != 0) return status;
  constexpr double kLargestSingle = 3.402823466385289e38;
  if (std::fabs(wide) > kLargestSingle) {
    return kRealOutOfRange;
  }
  value = static_cast<float>(wide);
  return 0;
}

}  // namespace kelm::records
