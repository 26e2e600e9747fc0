#include "source/program/gun/command_status.h"

#include <cstdio>
#include <cstdlib>
#include <regex>

namespace kelm {

std::optional<IterationStep> iterationOf(const std::string& line) {
  static const std::regex pattern(R"(^Iteration +([0-9]{1,9}):.*, change ([^ ,]+)$)");
  std::smatch m;
  if (!std::regex_match(line, m, pattern)) return std::nullopt;
  return IterationStep{std::atoi(m[1].str().c_str()), std::strtod(m[2].str().c_str(), nullptr)};
}

std::string progressText(const IterationStep& step, int most) {
  char text[120];
  std::snprintf(text, sizeof text, "Iteration %d of at most %d, change %.2g", step.iteration, most, step.change);
  return text;
}

std::string failedText(const std::string& command, const std::string& failure) {
  // A position is "file:line:" or "file:line:column:" at the start of the line.
  static const std::regex place(R"(^([^ :]+:[0-9]+(:[0-9]+)?):)");
  std::smatch m;
  return command + " failed" + (std::regex_search(failure, m, place) ? ": " + m[1].str() : std::string());
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
