#pragma once
// The search by NLopt. NLopt asks for one point at a time and waits for its value; to solve
// several at once the search is replayed from its start, deterministically, against the
// evaluations already made: a point not yet evaluated is noted, and with a population-based
// algorithm the rest of its generation (whose points do not depend on each other's values)
// too, then all are solved together and the search replayed again. The history is therefore
// the same on any number of cores, and a run killed half-way resumes from its points.

#include <functional>
#include <string>
#include <vector>

#include "source/optimize/history.h"
#include "source/optimize/point_evaluations.h"

namespace kelm::optimize {

struct SearchOutcome {
  bool ok = false;
  std::string stop;  // why the algorithm stopped, or why the search failed
  std::vector<HistoryRow> history;
};

// Called after each batch of evaluations with the history so far.
using Progress = std::function<void(const std::vector<HistoryRow>& history, std::size_t newRows)>;

SearchOutcome search(PointEvaluations& points, int maxEvaluations, const Progress& progress);

// The best feasible row (smallest objective, the earliest of equals), else none.
std::optional<std::size_t> bestRow(const std::vector<HistoryRow>& history);
// The row that breaks its constraints least, failed solves last; none for an empty history.
std::optional<std::size_t> leastInfeasibleRow(const std::vector<HistoryRow>& history);

}  // namespace kelm::optimize
