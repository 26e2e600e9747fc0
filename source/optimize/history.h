#pragma once
// history.csv: a row per evaluation with its parameters, status, objective, each constraint's
// figure and whether it holds, the time and kelm-export's figures. Laid out as kelm-scan's
// summary.csv (directory, parameters, status, figures), so that kelm-export --scan-plot draws
// it with --x evaluation.

#include <string>
#include <vector>

#include "source/optimize/point_evaluations.h"

namespace kelm::optimize {

struct HistoryRow {
  Evaluation evaluation;
  double seconds = 0;  // since the run began, when it was answered
};

std::string historyCsv(const Problem& problem, const std::vector<std::string>& exportHeader,
                       const std::vector<HistoryRow>& rows);

}  // namespace kelm::optimize
