#include "source/scan/substitution.h"

#include <muParser.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>
#include <optional>
#include <vector>

#include "runtime/fp_traps.h"
#include "source/command_line_tools/option_values.h"
#include "source/scan/sweep.h"

namespace kelm::scan {
namespace {

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Calls use(body, where, column) for each ${body}, copying the text between them to out when
// given; column is that of the body's first character.
template <typename Use>
bool forEachPlaceholder(std::string_view text, const std::string& file, std::string* out, std::string& error,
                        Use use) {
  int line = 1;
  std::size_t lineStart = 0;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t open = text.find("${", i);
    const std::size_t stop = open == text.npos ? text.size() : open;
    for (std::size_t k = i; k < stop; ++k)
      if (text[k] == '\n') ++line, lineStart = k + 1;
    if (out) out->append(text.substr(i, stop - i));
    if (open == text.npos) break;
    const std::size_t close = text.find('}', open);
    const std::size_t newline = text.find('\n', open);
    const std::size_t column = open - lineStart + 3;
    const std::string where = file + ":" + std::to_string(line) + ":";
    if (close == text.npos || (newline != text.npos && newline < close))
      return (error = where + std::to_string(column - 2) + ": ${ without } on its line", false);
    if (!use(text.substr(open + 2, close - open - 2), where, column)) return false;
    i = close + 1;
  }
  return true;
}

struct Expression {
  mu::Parser parser;
  std::vector<std::string> names;  // the variables it uses
  std::vector<double> values;      // one per name; muparser holds their addresses
};

// Names are collected while parsing; their values come later.
double* anyName(const char*, void*) {
  static double ignored = 0;
  return &ignored;
}

// Reads body; false with "WHERE: WHY" where WHERE gains the column of the fault.
bool compiled(std::string_view body, const std::string& where, std::size_t column, Expression& e,
              std::string& error) {
  const FloatingPointTrapsSuspended untrapped;
  try {
    if (trimmed(body).empty()) return (error = where + std::to_string(column) + ": ${} holds no expression", false);
    e.parser.DefineConst("pi", std::numbers::pi);
    e.parser.SetVarFactory(anyName, nullptr);
    e.parser.SetExpr(std::string(body));
    for (const auto& [name, address] : e.parser.GetUsedVar()) e.names.push_back(name);
    if (e.parser.GetNumResults() != 1) return (error = where + std::to_string(column) + ": one value only", false);
  } catch (const mu::Parser::exception_type& fault) {
    // muparser counts within the expression; the column says where in the line instead.
    const std::size_t at = column + std::min(body.size(), std::size_t(std::max(0, fault.GetPos())));
    std::string why = fault.GetMsg();
    if (const std::size_t cut = why.find(" at position "); cut != why.npos) why.erase(cut);
    return (error = where + std::to_string(at) + ": " + why, false);
  }
  return true;
}

}  // namespace

std::string shortestText(double value) {
  char text[32];
  const auto [end, ec] = std::to_chars(text, text + sizeof text, value == 0 ? 0.0 : value);
  return ec == std::errc() ? std::string(text, end) : std::string("nan");
}

bool parametersUsed(std::string_view text, const std::string& file, std::map<std::string, std::string>& names,
                    std::string& error) {
  return forEachPlaceholder(text, file, nullptr, error, [&](std::string_view body, const std::string& where,
                                                            std::size_t column) {
    const std::string place = where + std::to_string(column);
    if (isParameterName(trimmed(body))) return names.try_emplace(std::string(trimmed(body)), place), true;
    Expression e;
    if (!compiled(body, where, column, e, error)) return false;
    for (const auto& name : e.names) names.try_emplace(name, place);
    return true;
  });
}

bool substituted(std::string_view text, const std::string& file, const std::map<std::string, std::string>& values,
                 std::string& out, std::string& error) {
  out.clear();
  return forEachPlaceholder(text, file, &out, error, [&](std::string_view body, const std::string& where,
                                                         std::size_t column) {
    const std::string place = where + std::to_string(column);
    if (isParameterName(trimmed(body))) {
      const auto value = values.find(std::string(trimmed(body)));
      if (value == values.end())
        return (error = place + ": parameter " + std::string(trimmed(body)) + " is not in the sweep", false);
      out += value->second;
      return true;
    }
    Expression e;
    if (!compiled(body, where, column, e, error)) return false;
    e.values.resize(e.names.size());
    const FloatingPointTrapsSuspended untrapped;
    try {
      for (std::size_t k = 0; k < e.names.size(); ++k) {
        const auto value = values.find(e.names[k]);
        if (value == values.end()) return (error = place + ": parameter " + e.names[k] + " is not in the sweep", false);
        const std::optional<double> number = cli::realOf(value->second);
        if (!number)
          return (error = place + ": parameter " + e.names[k] + " is " + cli::quoted(value->second) +
                          ", no number to compute with",
                  false);
        e.values[k] = *number;
        e.parser.DefineVar(e.names[k], &e.values[k]);
      }
      const double result = e.parser.Eval();
      if (!std::isfinite(result))
        return (error = place + ": ${" + std::string(body) + "} is no finite number here", false);
      out += shortestText(result);
    } catch (const mu::Parser::exception_type& fault) {
      return (error = place + ": " + fault.GetMsg(), false);
    }
    return true;
  });
}

}  // namespace kelm::scan
