#include "source/solver/geometry/statement_lexer.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace kelm::solver {

std::string formatDiagnostic(std::string_view fileName, const Diagnostic& d) {
  return std::string(fileName) + ":" + std::to_string(d.line) + ":" + std::to_string(d.column) + ": " + d.message;
}

Diagnostic diagnosticAt(const Word& w, std::string message) { return {w.line, w.column, std::move(message)}; }

bool splitStatements(std::string_view text, std::vector<std::vector<Word>>& statements, Diagnostic& error) {
  statements.clear();
  if (text.size() > kMaxInputBytes) {
    error = {1, 1, "file longer than " + std::to_string(kMaxInputBytes / (1u << 20)) + " MB"};
    return false;
  }
  int line = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    ++line;
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view row = text.substr(start, end - start);
    start = end + 1;
    if (!row.empty() && row.back() == '\r') row.remove_suffix(1);
    if (row.size() > kMaxLineBytes) {
      error = {line, static_cast<int>(kMaxLineBytes) + 1,
               "line longer than " + std::to_string(kMaxLineBytes) + " characters"};
      return false;
    }
    for (std::size_t k = 0; k < row.size(); ++k) {
      const unsigned char c = static_cast<unsigned char>(row[k]);
      if ((c < 0x20 && c != '\t') || c == 0x7f) {
        error = {line, static_cast<int>(k) + 1, "control character in the text"};
        return false;
      }
    }
    std::vector<Word> words;
    std::size_t i = 0;
    while (i < row.size()) {
      const unsigned char c = static_cast<unsigned char>(row[i]);
      if (c == '#') break;
      if (c == ' ' || c == '\t') {
        ++i;
        continue;
      }
      const std::size_t from = i;
      while (i < row.size() && row[i] != ' ' && row[i] != '\t' && row[i] != '#') ++i;
      words.push_back({row.substr(from, i - from), line, static_cast<int>(from) + 1});
    }
    if (!words.empty()) statements.push_back(std::move(words));
  }
  return true;
}

bool isKeyword(const Word& w, std::string_view keyword) {
  if (w.text.size() != keyword.size()) return false;
  for (std::size_t i = 0; i < keyword.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(w.text[i])) != keyword[i]) return false;
  return true;
}

std::optional<double> numberOf(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0.0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

Diagnostic StatementReader::missing(std::string what) const {
  const Word& w = words_.back();
  return {w.line, w.column + static_cast<int>(w.text.size()), "missing " + what};
}

bool StatementReader::word(std::string_view& out, std::string_view what, Diagnostic& error) {
  if (atEnd()) {
    error = missing(std::string(what));
    return false;
  }
  out = words_[next_++].text;
  return true;
}

bool StatementReader::keyword(std::string_view keyword, Diagnostic& error) {
  if (atEnd()) {
    error = missing("'" + std::string(keyword) + "'");
    return false;
  }
  if (!isKeyword(peek(), keyword)) {
    error = diagnosticAt(peek(), "expected '" + std::string(keyword) + "', found '" + std::string(peek().text) + "'");
    return false;
  }
  ++next_;
  return true;
}

bool StatementReader::optionalKeyword(std::string_view keyword) {
  if (atEnd() || !isKeyword(peek(), keyword)) return false;
  ++next_;
  return true;
}

namespace {

std::string shortNumber(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

}  // namespace

bool StatementReader::number(double& out, std::string_view what, double low, double high, Diagnostic& error) {
  if (atEnd()) {
    error = missing(std::string(what));
    return false;
  }
  const Word& w = words_[next_];
  const auto value = numberOf(w.text);
  if (!value) {
    error = diagnosticAt(w, std::string(what) + " must be a number, found '" + std::string(w.text) + "'");
    return false;
  }
  if (*value < low || *value > high) {
    error = diagnosticAt(w, std::string(what) + (*value < low ? " must be at least " + shortNumber(low)
                                                              : " must be at most " + shortNumber(high)));
    return false;
  }
  out = *value;
  ++next_;
  return true;
}

bool StatementReader::positive(double& out, std::string_view what, double high, Diagnostic& error) {
  const std::size_t at = next_;
  if (!number(out, what, std::numeric_limits<double>::lowest(), high, error)) return false;
  if (out > 0.0) return true;
  error = diagnosticAt(words_[at], std::string(what) + " must be positive");
  return false;
}

bool StatementReader::integer(int& out, std::string_view what, int low, int high, Diagnostic& error) {
  double value = 0.0;
  const std::size_t at = next_;
  if (!number(value, what, low, high, error)) return false;
  if (value != std::floor(value)) {
    error = diagnosticAt(words_[at], std::string(what) + " must be a whole number");
    return false;
  }
  out = static_cast<int>(value);
  return true;
}

bool StatementReader::finished(Diagnostic& error) const {
  if (atEnd()) return true;
  error = diagnosticAt(peek(), "unexpected '" + std::string(peek().text) + "' at the end of the statement");
  return false;
}

}  // namespace kelm::solver
