// Any bytes as a PROBLEM file, under floating-point traps. An accepted problem must be one the
// search can start from: finite bounds with a finite span around the start, an objective, a
// tolerance and a number of evaluations within their ranges. A refusal names the file and is
// one line.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/traps_on.h"
#include "source/optimize/problem.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelm::optimize;
  const std::string text(reinterpret_cast<const char*>(data), size);
  Problem problem;
  std::string error;
  bool read = false;
  {
    const kelm::fuzzing::TrapsOn traps;
    read = readProblem(text, "problem.txt", problem, error);
  }
  if (!read) {
    if (!error.starts_with("problem.txt") || error.find('\n') != std::string::npos) std::abort();
    return 0;
  }
  if (problem.parameters.empty() || problem.objective.figure.name.empty()) std::abort();
  // The search steps a quarter of the span; checked here without the traps, which would stop at it.
  for (const Parameter& p : problem.parameters)
    if (!std::isfinite(p.upper - p.lower) || !(p.lower <= p.start && p.start <= p.upper)) std::abort();
  if (!(problem.tolerance > 0 && problem.tolerance < 1)) std::abort();
  if (problem.evaluations < 1 || problem.evaluations > kMaxEvaluations) std::abort();
  for (const Constraint& c : problem.constraints)
    if (c.text().empty() || !std::isfinite(c.bound)) std::abort();
  return 0;
}
