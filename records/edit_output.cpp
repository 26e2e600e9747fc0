#include "records/edit_output.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <limits>

namespace kelm::records {

namespace {

// |value| = 0.digits x 10^exponent, digits exact and without a leading zero (empty for zero).
struct Decimal {
  bool negative = false;
  std::string digits;
  int exponent = 0;
};

// Significant digits enough to write magnitude exactly: m * 2^e with m odd has -e digits after
// the point when e < 0, plus the integer digits.
int exactPrecision(double magnitude) {
  int k = 0;
  const double fraction = std::frexp(magnitude, &k);
  const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
  int e = k - 53;
  if (mantissa != 0) e += std::countr_zero(mantissa);
  const int integerDigits = k > 0 ? k * 30103 / 100000 + 1 : 0;
  return std::min(766, (e < 0 ? -e : 0) + integerDigits + 1);
}

// The expansion is exact, so rounding is decided on the true value and not on a library's
// half-to-even choice.
Decimal exactDecimal(double value) {
  Decimal result;
  result.negative = std::signbit(value);
  const double magnitude = std::fabs(value);
  if (magnitude == 0.0) return result;
  std::array<char, 800> text{};
  const auto [end, ec] = std::to_chars(text.data(), text.data() + text.size(), magnitude,
                                       std::chars_format::scientific, exactPrecision(magnitude));
  if (ec != std::errc()) return result;
  const std::string_view written(text.data(), static_cast<std::size_t>(end - text.data()));
  const std::size_t e = written.find('e');
  result.digits.push_back(written[0]);
  for (std::size_t i = 2; i < e; ++i) result.digits.push_back(written[i]);
  while (!result.digits.empty() && result.digits.back() == '0') result.digits.pop_back();
  int exponent = 0;
  std::from_chars(written.data() + e + 1 + (written[e + 1] == '+'), written.data() + written.size(),
                  exponent);
  result.exponent = exponent + 1;
  return result;
}

// The first n significant digits (n >= 0), rounded half away from zero; a carry out of the
// leading digit raises the exponent. A value that rounds to nothing gives no digits.
Decimal rounded(const Decimal& exact, int n) {
  Decimal result = exact;
  if (n < 0 || exact.digits.empty()) {
    result.digits.clear();
    return result;
  }
  const std::size_t keep = static_cast<std::size_t>(n);
  const bool roundUp = keep < exact.digits.size() && exact.digits[keep] >= '5';
  result.digits = exact.digits.substr(0, keep);
  result.digits.resize(keep, '0');
  if (roundUp) {
    std::size_t i = keep;
    while (i > 0 && result.digits[i - 1] == '9') result.digits[--i] = '0';
    if (i == 0) {
      result.digits.insert(result.digits.begin(), '1');
      result.digits.pop_back();
      ++result.exponent;
      if (keep == 0) result.digits = "1";
    } else {
      ++result.digits[i - 1];
    }
  }
  return result;
}

bool allZero(std::string_view digits) { return digits.find_first_not_of('0') == std::string::npos; }

void justify(std::string& out, const std::string& text, int w) {
  if (static_cast<int>(text.size()) > w) {
    out.append(static_cast<std::size_t>(w), '*');
  } else {
    out.append(static_cast<std::size_t>(w) - text.size(), ' ');
    out.append(text);
  }
}

void asterisks(std::string& out, int w) { out.append(static_cast<std::size_t>(w), '*'); }

}  // namespace

void editInteger(std::string& out, std::int64_t value, int w) {
  std::array<char, 24> text{};
  const auto [end, ec] = std::to_chars(text.data(), text.data() + text.size(), value);
  justify(out, std::string(text.data(), end), w);
}

void editFixed(std::string& out, double value, int w, int d) {
  if (!std::isfinite(value)) return asterisks(out, w);
  const Decimal exact = exactDecimal(value);
  // Digits up to the d-th decimal: e before the point, d after.
  Decimal kept = rounded(exact, exact.exponent + d);
  std::string integerPart;
  std::string fraction;
  if (!kept.digits.empty()) {
    if (kept.exponent > 0) {
      std::string digits = kept.digits;
      digits.resize(static_cast<std::size_t>(kept.exponent + d), '0');
      integerPart = digits.substr(0, static_cast<std::size_t>(kept.exponent));
      fraction = digits.substr(static_cast<std::size_t>(kept.exponent));
    } else {
      fraction = std::string(static_cast<std::size_t>(-kept.exponent), '0') + kept.digits;
    }
  }
  fraction.resize(static_cast<std::size_t>(d), '0');
  const bool zero = allZero(integerPart) && allZero(fraction);
  if (integerPart.empty() && d == 0) integerPart = "0";
  std::string text;
  if (exact.negative && !zero) text.push_back('-');
  text += integerPart;
  text.push_back('.');
  text += fraction;
  justify(out, text, w);
}

void editExponent(std::string& out, double value, int w, int d) {
  if (!std::isfinite(value)) return asterisks(out, w);
  const Decimal exact = exactDecimal(value);
  Decimal kept = rounded(exact, d);
  std::string digits = kept.digits;
  digits.resize(static_cast<std::size_t>(d), '0');
  const bool zero = allZero(digits);
  const int exponent = zero ? 0 : kept.exponent;
  std::string text;
  if (exact.negative && !zero) text.push_back('-');
  text.push_back('.');
  text += digits;
  const int magnitude = exponent < 0 ? -exponent : exponent;
  if (magnitude <= 99) text.push_back('E');
  text.push_back(exponent < 0 ? '-' : '+');
  std::array<char, 8> exponentText{};
  auto [end, ec] = std::to_chars(exponentText.data(), exponentText.data() + exponentText.size(),
                                 magnitude);
  std::string exponentDigits(exponentText.data(), end);
  const std::size_t exponentWidth = magnitude <= 99 ? 2 : 3;
  if (exponentDigits.size() < exponentWidth) {
    exponentDigits.insert(0, exponentWidth - exponentDigits.size(), '0');
  }
  text += exponentDigits;
  justify(out, text, w);
}

void editGeneral(std::string& out, double value, int w, int d) {
  if (!std::isfinite(value)) return asterisks(out, w);
  const int e = value == 0.0 ? 0 : exactDecimal(value).exponent;
  if (e < 0 || e > d) return editExponent(out, value, w, d);
  if (w < 4) return asterisks(out, w);
  editFixed(out, value, w - 4, d - e);
  out.append(4, ' ');
}

std::string listInteger(std::int32_t value) {
  std::array<char, 16> text{};
  const auto [end, ec] = std::to_chars(text.data(), text.data() + text.size(), value);
  return std::string(text.data(), end);
}

namespace {

template <class Real>
std::string shortestReal(Real value) {
  if (!std::isfinite(value)) return std::isnan(value) ? "NaN" : (value < 0 ? "-Infinity" : "Infinity");
  std::array<char, 64> text{};
  const auto [end, ec] = std::to_chars(text.data(), text.data() + text.size(), value);
  std::string result(text.data(), end);
  // A point marks the value as real for a reader, and "150." looks like the number it is.
  if (result.find_first_of(".e") == std::string::npos) result += ".0";
  return result;
}

}  // namespace

std::string listReal(float value) {
  // The shortest text of the largest float lies above the largest value a 32-bit item may
  // read; its exact double text does not.
  if (std::fabs(value) == std::numeric_limits<float>::max()) {
    return shortestReal(static_cast<double>(value));
  }
  return shortestReal(value);
}
std::string listReal(double value) { return shortestReal(value); }

}  // namespace kelm::records
