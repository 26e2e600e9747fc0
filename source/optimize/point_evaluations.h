#pragma once
// The evaluations of kelm-optimize as kelm-scan's points in OUTDIR: each made from the
// template, solved by kelm-solve unless its record says it already was from the same inputs,
// and read through kelm-export's summary.

#include <string>
#include <vector>

#include "source/optimize/judgement.h"
#include "source/optimize/problem.h"
#include "source/scan/scan_points.h"

namespace kelm::optimize {

struct Evaluation {
  std::vector<double> x;  // the parameters, in the problem's order
  std::string directory;  // the point's name in OUTDIR
  std::string status;     // the point's, as kelm-scan's summary gives it
  std::vector<std::string> cells;  // its row of kelm-export's summary
  Judgement judgement;
};

struct RunOptions {
  std::string outdir;  // absolute
  int jobs = 1;        // solves at once; with slurm, tasks running at once
  bool slurm = false;
};

class PointEvaluations {
 public:
  PointEvaluations(scan::ProjectTemplate project, Problem problem, RunOptions options);

  // kelm-export's summary header, from a summary of the template; false with why, or with
  // "FILE:LINE: WHY" for a figure of the problem that it lacks.
  bool readFigureNames(std::string& error);
  const std::vector<std::string>& header() const { return header_; }
  const Problem& problem() const { return problem_; }

  // False for an OUTDIR that holds kelm-scan's points rather than an optimization's: the
  // search would write its own points over them.
  bool mayUseOutdir(std::string& error) const;

  // Makes the next points, one per x, solves those not solved already and judges each. False
  // only when the points cannot be made or read; a failed solve is an infeasible evaluation.
  bool evaluate(const std::vector<std::vector<double>>& xs, std::vector<Evaluation>& out, std::string& error);

  std::size_t solvedHere() const { return solvedHere_; }
  std::size_t solvedBefore() const { return solvedBefore_; }

 private:
  bool solve(const std::vector<std::string>& names, std::string& error);
  bool readFigures(const std::vector<std::string>& names, std::vector<std::vector<std::string>>& rows,
                   std::string& error);

  scan::ProjectTemplate project_;
  Problem problem_;
  RunOptions options_;
  std::vector<std::string> header_;
  std::vector<std::size_t> columns_;  // see findFigures
  scan::Sweep sweep_;                 // every point made so far, in order
  std::size_t solvedHere_ = 0, solvedBefore_ = 0;
};

}  // namespace kelm::optimize
