#include "source/optimize/history.h"

#include "source/command_line_tools/csv.h"
#include "source/scan/substitution.h"

namespace kelm::optimize {
namespace {

const char* objectiveName(const Objective& o) {
  return o.goal == Goal::kMinimize ? "objective" : o.goal == Goal::kMaximize ? "objective (negated)"
                                                                              : "objective (relative miss squared)";
}

}  // namespace

std::string historyCsv(const Problem& problem, const std::vector<std::string>& exportHeader,
                       const std::vector<HistoryRow>& rows) {
  cli::CsvLine header;
  header.add("directory").add("evaluation");
  for (const auto& p : problem.parameters) header.add(p.name);
  header.add("status").add("feasible").add("reason").add(objectiveName(problem.objective));
  for (const auto& c : problem.constraints) header.add(c.text()).add("holds: " + c.text());
  header.add("time [s]");
  for (std::size_t k = 1; k < exportHeader.size(); ++k) header.add(exportHeader[k]);
  std::string csv = header.text();
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const Evaluation& e = rows[r].evaluation;
    const Judgement& j = e.judgement;
    cli::CsvLine line;
    line.add(e.directory).add(int(r + 1));
    // The values as the point's files hold them, so that a row reads back to its point.
    for (double v : e.x) line.add(scan::shortestText(v));
    line.add(e.status).add(j.feasible ? "yes" : "no").add(j.reason).addIf(bool(j.objective), j.objective.value_or(0));
    for (std::size_t k = 0; k < j.constraints.size(); ++k)
      line.addIf(bool(j.constraints[k]), j.constraints[k].value_or(0)).add(j.holds[k] ? "yes" : "no");
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f", rows[r].seconds);
    line.add(seconds);
    for (std::size_t k = 1; k < exportHeader.size(); ++k) line.add(k < e.cells.size() ? e.cells[k] : "");
    csv += line.text();
  }
  return csv;
}

}  // namespace kelm::optimize
