#include "source/optimize/search.h"

#include <nlopt.hpp>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <map>
#include <set>

#include "runtime/fp_traps.h"

namespace kelm::optimize {
namespace {

using Clock = std::chrono::steady_clock;

// NLopt's random numbers seeded alike on every replay, so that each replay asks again for the
// points of the last one.
constexpr unsigned long kSeed = 20261207;

nlopt::algorithm nloptAlgorithm(Algorithm a) {
  switch (a) {
    case Algorithm::kCobyla: return nlopt::LN_COBYLA;
    case Algorithm::kBobyqa: return nlopt::LN_BOBYQA;
    case Algorithm::kNelderMead: return nlopt::LN_NELDERMEAD;
    case Algorithm::kIsres: return nlopt::GN_ISRES;
  }
  return nlopt::LN_COBYLA;
}

std::string stopText(nlopt::result r) {
  switch (r) {
    case nlopt::XTOL_REACHED: return "the parameters changed by less than the tolerance";
    case nlopt::FTOL_REACHED: return "the objective changed by less than the tolerance";
    case nlopt::MAXEVAL_REACHED: return "the most evaluations allowed were made";
    case nlopt::STOPVAL_REACHED: return "the objective reached its stop value";
    default: return "the algorithm ended (NLopt result " + std::to_string(int(r)) + ")";
  }
}

// The point evaluated for one NLopt asks for: twelve digits, so that a start of 30 that NLopt's
// scaling returns as 30.000000000000004 is solved, and written, as 30.
std::vector<double> pointOf(const std::vector<double>& asked) {
  std::vector<double> x;
  for (double v : asked) {
    char text[32];
    std::snprintf(text, sizeof text, "%.12g", v);
    x.push_back(std::strtod(text, nullptr));
  }
  return x;
}

// One replay of the search; its callbacks answer from the evaluations made.
class Replay {
 public:
  Replay(const std::map<std::vector<double>, Evaluation>& known, const Problem& problem, std::size_t population)
      : known_(known), problem_(problem), population_(population) {}

  double objective(const std::vector<double>& asked) {
    const std::vector<double> x = pointOf(asked);
    const std::size_t call = calls_++;
    const auto it = known_.find(x);
    if (it != known_.end()) {
      if (unknown_.empty() && seen_.insert(x).second) order_.push_back(&it->second);
      return it->second.judgement.minimized();
    }
    // Beyond its generation a point depends on the values of those noted, which are not known.
    if (!unknown_.empty() && (population_ == 0 || call / population_ != firstUnknownCall_ / population_))
      throw nlopt::forced_stop();
    if (unknown_.empty()) firstUnknownCall_ = call;
    if (std::find(unknown_.begin(), unknown_.end(), x) == unknown_.end()) unknown_.push_back(x);
    if (population_ == 0) throw nlopt::forced_stop();
    return kUnusable;
  }

  double constraint(const std::vector<double>& x, std::size_t k) const {
    const auto it = known_.find(pointOf(x));
    return it == known_.end() ? kUnusable : it->second.judgement.constraintValue(problem_, k);
  }

  const std::vector<std::vector<double>>& unknown() const { return unknown_; }
  const std::vector<const Evaluation*>& order() const { return order_; }

 private:
  const std::map<std::vector<double>, Evaluation>& known_;
  const Problem& problem_;
  std::size_t population_;  // 0: one point at a time
  std::size_t calls_ = 0, firstUnknownCall_ = 0;
  std::vector<std::vector<double>> unknown_;
  std::set<std::vector<double>> seen_;
  std::vector<const Evaluation*> order_;  // the evaluations in the order asked, before the first unknown
};

struct ConstraintData {
  Replay* replay;
  std::size_t k;
};

double objectiveOf(const std::vector<double>& x, std::vector<double>&, void* data) {
  return static_cast<Replay*>(data)->objective(x);
}

double constraintOf(const std::vector<double>& x, std::vector<double>&, void* data) {
  const auto* c = static_cast<ConstraintData*>(data);
  return c->replay->constraint(x, c->k);
}

}  // namespace

SearchOutcome search(PointEvaluations& points, int maxEvaluations, const Progress& progress) {
  const Problem& problem = points.problem();
  const std::size_t n = problem.parameters.size();
  const bool population = problem.algorithm == Algorithm::kIsres;
  const std::size_t size = population ? 20 * (n + 1) : 0;
  std::map<std::vector<double>, Evaluation> known;
  std::map<const Evaluation*, double> answered;  // seconds since the start
  const auto begin = Clock::now();
  SearchOutcome outcome;
  for (;;) {
    Replay replay(known, problem, size);
    nlopt::opt opt(nloptAlgorithm(problem.algorithm), unsigned(n));
    std::vector<double> lower, upper, step, x;
    for (const auto& p : problem.parameters) {
      lower.push_back(p.lower);
      upper.push_back(p.upper);
      step.push_back(0.25 * (p.upper - p.lower));
      x.push_back(p.start);
    }
    std::vector<ConstraintData> data;
    for (std::size_t k = 0; k < problem.constraints.size(); ++k) data.push_back({&replay, k});
    nlopt::result result = nlopt::FAILURE;
    std::string failure;
    {
      // NLopt's arithmetic is its own; only KELM's may trap.
      const FloatingPointTrapsSuspended untrapped;
      try {
        nlopt::srand(kSeed);
        opt.set_lower_bounds(lower);
        opt.set_upper_bounds(upper);
        if (!population) opt.set_initial_step(step);
        if (population) opt.set_population(unsigned(size));
        opt.set_min_objective(objectiveOf, &replay);
        for (auto& d : data) opt.add_inequality_constraint(constraintOf, &d, 0);
        opt.set_xtol_rel(problem.tolerance);
        opt.set_maxeval(maxEvaluations);
        double best = 0;
        result = opt.optimize(x, best);
      } catch (const nlopt::forced_stop&) {
        result = nlopt::FORCED_STOP;
      } catch (const nlopt::roundoff_limited&) {
        result = nlopt::ROUNDOFF_LIMITED;
      } catch (const std::exception& e) {
        failure = std::string("NLopt refused the problem: ") + e.what();
      }
    }
    // Each replay asks for the points of the last one first, so the history only grows.
    const std::size_t shown = outcome.history.size();
    for (std::size_t r = shown; r < replay.order().size(); ++r)
      outcome.history.push_back({*replay.order()[r], answered[replay.order()[r]]});
    if (outcome.history.size() > shown) progress(outcome.history, outcome.history.size() - shown);
    if (!failure.empty()) return (outcome.stop = failure, outcome);
    if (replay.unknown().empty()) {
      outcome.ok = true;
      outcome.stop = result == nlopt::ROUNDOFF_LIMITED ? "rounding errors keep the algorithm from going further"
                                                        : stopText(result);
      return outcome;
    }
    std::vector<Evaluation> made;
    if (!points.evaluate(replay.unknown(), made, outcome.stop)) return outcome;
    const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    for (auto& e : made) {
      const auto at = known.emplace(e.x, std::move(e)).first;
      answered[&at->second] = seconds;
    }
  }
}

std::optional<std::size_t> bestRow(const std::vector<HistoryRow>& history) {
  std::optional<std::size_t> best;
  for (std::size_t r = 0; r < history.size(); ++r) {
    const Judgement& j = history[r].evaluation.judgement;
    if (j.feasible && (!best || *j.objective < *history[*best].evaluation.judgement.objective)) best = r;
  }
  return best;
}

std::optional<std::size_t> leastInfeasibleRow(const std::vector<HistoryRow>& history) {
  std::optional<std::size_t> least;
  for (std::size_t r = 0; r < history.size(); ++r)
    if (!least || history[r].evaluation.judgement.violation < history[*least].evaluation.judgement.violation)
      least = r;
  return least;
}

}  // namespace kelm::optimize
