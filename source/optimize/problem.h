#pragma once
// PROBLEM, the file that states what kelm-optimize looks for: the parameters with their starts
// and bounds, one objective, any number of constraints, the algorithm and when it stops.

#include <optional>
#include <string>
#include <vector>

namespace kelm::optimize {

struct Parameter {
  std::string name;
  double start = 0, lower = 0, upper = 0;
};

enum class Goal { kMinimize, kMaximize, kTarget };

// A figure of kelm-export's summary, as written in PROBLEM, with the line for messages.
struct FigureName {
  std::string name;
  int line = 0;
};

struct Objective {
  Goal goal = Goal::kMinimize;
  FigureName figure;
  double target = 0;  // kTarget: the figure brought to it, as a squared relative difference
  std::string unit;   // as written after the target, empty when none
};

struct Constraint {
  FigureName figure;
  bool atMost = true;  // figure <= bound, else >=
  double bound = 0;
  std::string unit;  // as written after the bound, empty when none
  std::string text() const;  // "surface_field_max <= 8"
};

enum class Algorithm { kCobyla, kBobyqa, kNelderMead, kIsres };

inline constexpr int kMaxEvaluations = 9999;  // point names keep four digits

struct Problem {
  std::string file;
  std::vector<Parameter> parameters;
  Objective objective;
  std::vector<Constraint> constraints;
  Algorithm algorithm = Algorithm::kCobyla;
  double tolerance = 1e-4;  // relative, on the parameters
  int evaluations = 100;
  std::optional<double> z;  // the plane of the figures without waist_, mm; kelm-export's own otherwise
};

// False with "FILE:LINE: WHY" for a statement it does not know, a number that is not one, a
// start outside its bounds, no objective or two, and constraints an algorithm cannot keep.
bool readProblem(const std::string& text, const std::string& file, Problem& problem, std::string& error);

const char* algorithmName(Algorithm algorithm);

}  // namespace kelm::optimize
