#include <gtest/gtest.h>

#include "source/optimize/figure_columns.h"
#include "source/optimize/judgement.h"
#include "source/optimize/problem.h"

namespace kelm::optimize {
namespace {

TEST(Problem, ReadsItsStatementsAndPlacesEachFault) {
  Problem p;
  std::string error;
  ASSERT_TRUE(readProblem("# gun\nparameter gap 9 4 20  # mm\ntarget perveance 2 uP\nconstraint r_max <= 1.5 mm\n"
                          "algorithm isres\ntolerance 1e-3\nevaluations 50\nz 30\n",
                          "p", p, error))
      << error;
  EXPECT_EQ(p.parameters[0].upper, 20);
  EXPECT_EQ(p.objective.goal, Goal::kTarget);
  EXPECT_EQ(p.constraints[0].text(), "r_max <= 1.5");
  EXPECT_EQ(p.algorithm, Algorithm::kIsres);
  EXPECT_EQ(*p.z, 30);
  const std::pair<const char*, const char*> faults[] = {
      {"parameter gap 3 4 20\nminimize r_max\n", "p:1: the start 3 lies outside its bounds 4 to 20"},
      {"parameter gap 9 20 4\nminimize r_max\n", "p:1: the lower bound must be below"},
      {"parameter gap 9 4 2O\nminimize r_max\n", "p:1: upper bound \"2O\" is not a number"},
      {"parameter gap 0 -1e308 1e308\nminimize r_max\n", "p:1: the bounds lie too far apart"},
      {"parameter gap 9 4 20\nparameter gap 9 4 20\n", "p:2: parameter gap given twice"},
      {"parameter gap 9 4 20\n\nminimise r_max\n", "p:3: \"minimise\" is no statement"},
      {"parameter gap 9 4 20\nminimize r_max\nmaximize current\n", "p:3: a second objective"},
      {"parameter gap 9 4 20\ntarget perveance 0\n", "p:2: a target of 0"},
      {"parameter gap 9 4 20\nminimize r_max\nconstraint r_max < 2\n", "p:3: the constraint needs <= or >="},
      {"parameter gap 9 4 20\nminimize r_max\nevaluations 10000\n", "p:3: evaluations needs a whole number"},
      {"parameter gap 9 4 20\nminimize r_max\nconstraint r_max <= 2\nalgorithm bobyqa\n",
       "p:4: bobyqa keeps bounds only"},
      {"parameter gap 9 4 20\n", "p: no objective"},
  };
  for (const auto& [text, why] : faults) {
    EXPECT_FALSE(readProblem(text, "p", p, error)) << text;
    EXPECT_EQ(error.rfind(why, 0), 0u) << text << ": " << error;
  }
}

TEST(Problem, FiguresAreSummaryColumnsInTheirUnits) {
  const std::vector<std::string> header{"directory", "solve_status", "perveance [uP]", "r_max [mm]"};
  const std::pair<const char*, const char*> cases[] = {
      {"minimize perveance [uP]\nconstraint r_max <= 2 mm\n", ""},
      {"minimize solve_status\n", "p:2: \"solve_status\" is no figure of kelm-export's summary; it has perveance, r_max"},
      {"minimize r_max\nconstraint perveance >= 2 A\n", "p:3: perveance is in uP, not A"},
  };
  for (const auto& [text, why] : cases) {
    Problem p;
    std::string error;
    ASSERT_TRUE(readProblem(std::string("parameter gap 9 4 20\n") + text, "p", p, error)) << error;
    std::vector<std::size_t> columns;
    EXPECT_EQ(findFigures(p, header, columns, error), *why == 0) << text;
    if (*why) {
      EXPECT_EQ(error, why);
    }
  }
}

TEST(Judgement, FeasibleOnlySolvedWithEveryFigureAndEveryLimitKept) {
  Problem p;
  std::string error;
  ASSERT_TRUE(readProblem("parameter gap 9 4 20\ntarget perveance 2\nconstraint r_max <= 1.5\n", "p", p, error));
  const std::vector<std::size_t> columns{1, 2};  // perveance, r_max
  const struct {
    const char* status;
    std::vector<std::string> cells;
    double objective;  // as minimized
    const char* reason;
  } cases[] = {
      {"solved", {"p1", "2.2", "1.5"}, 0.01, ""},
      {"solved", {"p1", "1.8", "1.6"}, 0.01, "breaks r_max <= 1.5"},
      {"not-converged", {"p1", "2", "1"}, kUnusable, "the solve did not converge"},
      {"failed: no beam", {"p1", "", ""}, kUnusable, "failed: no beam"},
      {"solved", {"p1", "1e300", "1"}, kUnusable, "a figure is missing or out of range"},
  };
  for (const auto& c : cases) {
    const Judgement j = judged(p, columns, c.status, c.cells);
    EXPECT_NEAR(j.minimized(), c.objective, 1e-12 * c.objective) << c.cells[1];
    EXPECT_EQ(j.reason, c.reason);
    EXPECT_EQ(j.feasible, *c.reason == 0);
    EXPECT_EQ(j.constraintValue(p, 0) <= 0, j.feasibleFigures && j.holds[0]) << c.cells[2];
  }
}

}  // namespace
}  // namespace kelm::optimize
