#include "source/program/gun/command_status.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace kelm {

namespace {

// The digits at the start of text, taken off it; nullopt without any or beyond an int.
std::optional<int> leadingNumber(std::string_view& text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end == text.data()) return std::nullopt;
  text.remove_prefix(static_cast<std::size_t>(end - text.data()));
  return value;
}

}  // namespace

// "Iteration  7: current ..., change 0.0031", as the solver reports each pass.
std::optional<IterationStep> iterationOf(const std::string& line) {
  std::string_view rest = line;
  if (!rest.starts_with("Iteration ")) return std::nullopt;
  const std::size_t digits = rest.find_first_not_of(' ', 9);
  if (digits == std::string_view::npos) return std::nullopt;
  rest.remove_prefix(digits);
  const std::optional<int> iteration = leadingNumber(rest);
  const std::size_t change = line.rfind(", change ");
  if (!iteration || !rest.starts_with(':') || change == std::string::npos) return std::nullopt;
  return IterationStep{*iteration, std::strtod(line.c_str() + change + 9, nullptr)};
}

std::string progressText(const IterationStep& step, int most) {
  char text[120];
  std::snprintf(text, sizeof text, "Iteration %d of at most %d, change %.2g", step.iteration, most, step.change);
  return text;
}

std::string failedText(const std::string& command, const std::string& failure) {
  // A position is "file:line:" or "file:line:column:" at the start of the line.
  std::string_view rest = failure;
  const std::size_t colon = rest.find(':');
  const bool named = colon != std::string_view::npos && colon > 0 &&
                     rest.substr(0, colon).find(' ') == std::string_view::npos;
  if (named) rest.remove_prefix(colon + 1);
  const bool placed = named && leadingNumber(rest) && rest.starts_with(':');
  if (placed) {
    std::string_view column = rest.substr(1);
    if (leadingNumber(column) && column.starts_with(':')) rest = column;
  }
  const std::size_t length = failure.size() - rest.size();
  return command + " failed" + (placed ? ": " + failure.substr(0, length) : std::string());
}

std::string solvedText(int iterations, bool converged, double current_A, double perveance_uP) {
  char text[120];
  // The status bar's text is Latin-1: \xb5 is the micro sign.
  if (converged)
    std::snprintf(text, sizeof text, "Solved: %d iterations, %.3g A, %.3g \xb5P", iterations, current_A, perveance_uP);
  else
    std::snprintf(text, sizeof text, "Not converged after %d iterations", iterations);
  return text;
}

std::string batchText(const BatchCount& c) {
  const int total = c.solved + c.notConverged + c.failed + c.notRun;
  std::string text = std::to_string(total) + (total == 1 ? " project: " : " projects: ") + std::to_string(c.solved) +
                     " solved";
  if (c.notConverged > 0) text += ", " + std::to_string(c.notConverged) + " not converged";
  text += ", " + std::to_string(c.failed) + " failed";
  if (c.notRun > 0) text += ", " + std::to_string(c.notRun) + " not run (stopped)";
  return text;
}

}  // namespace kelm
