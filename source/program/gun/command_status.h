#pragma once
// What the status bar says of Build net, Solve and a batch: their progress while they run, and
// how the last one ended until the next command. Pure text, so that it is tested without Qt.

#include <optional>
#include <string>

namespace kelm {

struct IterationStep {
  int iteration = 0;
  double change = 0;
};
// From the solver's line "Iteration   7: current ..., change 0.0031"; nothing for other lines.
std::optional<IterationStep> iterationOf(const std::string& line);
// "Iteration 7 of at most 25, change 0.0031"
std::string progressText(const IterationStep& step, int most);

// "Solve failed: geom.cod:16:20" when the failure line begins with a file position, else
// "Solve failed".
std::string failedText(const std::string& command, const std::string& failure);
// "Solved: 12 iterations, 0.0559 A, 0.0559 µP" or "Not converged after 25 iterations".
std::string solvedText(int iterations, bool converged, double current_A, double perveance_uP);

struct BatchCount {
  int solved = 0, notConverged = 0, failed = 0, notRun = 0;
};
// "3 projects: 2 solved, 1 failed", with the not converged and those a Stop left out when any.
std::string batchText(const BatchCount& count);

}  // namespace kelm
