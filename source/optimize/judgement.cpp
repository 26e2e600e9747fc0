#include "source/optimize/judgement.h"

#include <algorithm>
#include <cmath>

#include "source/command_line_tools/option_values.h"

namespace kelm::optimize {
namespace {

// Figures beyond kUnusable would pass for better than a point without them.
std::optional<double> figureOf(const std::vector<std::string>& cells, std::size_t column) {
  const auto value = column < cells.size() ? cli::realOf(cells[column]) : std::nullopt;
  return value && std::fabs(*value) < kUnusable ? value : std::nullopt;
}

std::optional<double> finite(double value) {
  return std::isfinite(value) && std::fabs(value) < kUnusable ? std::optional(value) : std::nullopt;
}

// The bound's scale for a relative violation; a bound of 0 counts in the figure's own unit.
double scaleOf(double bound) { return bound == 0 ? 1.0 : std::fabs(bound); }

}  // namespace

double Judgement::constraintValue(const Problem& problem, std::size_t k) const {
  if (!feasibleFigures || !constraints[k]) return kUnusable;
  const Constraint& c = problem.constraints[k];
  // A tiny bound's scale may take the quotient past any double; its sign is what counts.
  return std::clamp((c.atMost ? *constraints[k] - c.bound : c.bound - *constraints[k]) / scaleOf(c.bound),
                    -kUnusable, kUnusable);
}

Judgement judged(const Problem& problem, const std::vector<std::size_t>& columns, const std::string& status,
                 const std::vector<std::string>& cells) {
  Judgement j;
  const std::optional<double> figure = figureOf(cells, columns[0]);
  const Objective& o = problem.objective;
  if (figure) {
    const double relative = (*figure - o.target) / o.target;
    j.objective = finite(o.goal == Goal::kMinimize ? *figure : o.goal == Goal::kMaximize ? -*figure : relative * relative);
  }
  bool allFigures = bool(j.objective);
  for (std::size_t k = 0; k < problem.constraints.size(); ++k) {
    const Constraint& c = problem.constraints[k];
    const std::optional<double> value = figureOf(cells, columns[k + 1]);
    j.constraints.push_back(value);
    const bool holds = value && (c.atMost ? *value <= c.bound : *value >= c.bound);
    j.holds.push_back(holds);
    allFigures = allFigures && value;
    if (value && !holds) j.violation += std::min(kUnusable, std::fabs(*value - c.bound) / scaleOf(c.bound));
  }
  if (status != "solved") {
    j.reason = status == "not-converged" ? "the solve did not converge" : status;
  } else if (!allFigures) {
    j.reason = "a figure is missing or out of range";
  } else {
    j.feasibleFigures = true;
    for (std::size_t k = 0; k < j.holds.size() && j.reason.empty(); ++k)
      if (!j.holds[k]) j.reason = "breaks " + problem.constraints[k].text();
  }
  j.feasible = j.feasibleFigures && j.reason.empty();
  if (!j.feasibleFigures) j.violation = HUGE_VAL;
  return j;
}

}  // namespace kelm::optimize
