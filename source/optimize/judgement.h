#pragma once
// What one solved point is worth: the objective as minimized, each constraint's figure and
// whether it holds, and whether the point is feasible at all.

#include <optional>
#include <string>
#include <vector>

#include "source/optimize/problem.h"

namespace kelm::optimize {

// Given to the algorithm for a point without a usable figure: far worse than any real one, yet
// finite, so that no algorithm's arithmetic meets an infinity.
inline constexpr double kUnusable = 1e30;

struct Judgement {
  std::optional<double> objective;                 // as minimized; none without the figure
  std::vector<std::optional<double>> constraints;  // each constraint's figure
  std::vector<bool> holds;
  bool feasible = false;
  std::string reason;      // why not feasible
  double violation = 0;    // summed relative amounts by which constraints are broken
  // For the algorithm: the objective, and each constraint as a value that is <= 0 when it holds.
  double minimized() const { return objective && feasibleFigures ? *objective : kUnusable; }
  double constraintValue(const Problem& problem, std::size_t k) const;
  bool feasibleFigures = false;  // solved and converged, every figure present
};

// status is the point's ("solved", "not-converged", "failed: WHY", ...); cells its row of
// kelm-export's summary, columns those of findFigures.
Judgement judged(const Problem& problem, const std::vector<std::size_t>& columns, const std::string& status,
                 const std::vector<std::string>& cells);

}  // namespace kelm::optimize
