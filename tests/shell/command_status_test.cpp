// What the status bar says of a command, and solve.csv as the convergence plot reads it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "source/program/gun/command_status.h"
#include "source/program/gun/iteration_table.h"

namespace kelm {
namespace {

TEST(CommandStatus, TextsOfProgressAndEnd) {
  const auto progress = [](const std::string& line, int most) {
    const auto step = iterationOf(line);
    return step ? progressText(*step, most) : "none";
  };
  struct Case {
    std::string shown, expected;
  } cases[] = {
      {progress("Iteration   7: current 0.0559 A, perveance 0.0559 uP at 10000 V, change 0.0031", 25),
       "Iteration 7 of at most 25, change 0.0031"},
      {progress("Not converged after 3 iterations (change 0.1)", 3), "none"},
      {failedText("Build net", "klinput.dat:2: iterations must be positive"), "Build net failed: klinput.dat:2"},
      {failedText("Solve", "geom.cod:16:20: arc radius must be positive"), "Solve failed: geom.cod:16:20"},
      {failedText("Solve", "geom.cod not found in this project"), "Solve failed"},
      {solvedText(25, false, 1, 1), "Not converged after 25 iterations"},
      {batchText({.solved = 2, .failed = 1}), "3 projects: 2 solved, 1 failed"},
      {batchText({.notConverged = 1, .notRun = 2}), "3 projects: 0 solved, 1 not converged, 0 failed, 2 not run (stopped)"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.shown, c.expected);
}

TEST(IterationTable, ChangesOrWhyNot) {
  const std::string header = "iteration,current [A],perveance [uP],change,relaxation,time [s]\n";
  struct Case {
    std::string text;
    std::vector<double> changes;
    std::string why;
  } cases[] = {
      {header + "1,0.05,0.05,1,0.5,0.1\n2,0.05,0.05,0.0031,0.5,0.2\n", {1, 0.0031}, ""},
      {"", {}, "solve.csv is empty"},
      {"iteration,current\n1,2\n", {}, "solve.csv has no \"change\" column"},
      {header + "1,0.05,0.05,x,0.5,0.1\n", {}, "solve.csv line 2: the change is not a number"},
      {header + "1,0.05,0.05,1e999,0.5,0.1\n", {}, "solve.csv line 2: the change is not a number"},
      {header + "1,0.05\n", {}, "solve.csv line 2: the change is not a number"},
  };
  for (const Case& c : cases) {
    std::vector<double> changes;
    std::string why;
    EXPECT_EQ(iterationChanges(c.text, changes, why), c.why.empty()) << c.text;
    EXPECT_EQ(why, c.why) << c.text;
    if (c.why.empty()) {
      EXPECT_EQ(changes, c.changes) << c.text;
    }
  }
}

}  // namespace
}  // namespace kelm
