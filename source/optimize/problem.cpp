#include "source/optimize/problem.h"

#include <cmath>
#include <limits>
#include <sstream>

#include "source/command_line_tools/option_values.h"
#include "source/scan/substitution.h"
#include "source/scan/sweep.h"

namespace kelm::optimize {
namespace {

constexpr struct {
  const char* name;
  Algorithm algorithm;
} kAlgorithms[] = {{"cobyla", Algorithm::kCobyla},
                   {"bobyqa", Algorithm::kBobyqa},
                   {"neldermead", Algorithm::kNelderMead},
                   {"isres", Algorithm::kIsres}};

bool keepsConstraints(Algorithm a) { return a == Algorithm::kCobyla || a == Algorithm::kIsres; }

// The statement's words after its keyword, refused unless there are as many as wanted (or one
// more, an optional unit, when unit is given).
struct Statement {
  std::vector<std::string> words;
  std::string where;

  double number(std::size_t k, const char* what) const {
    const auto value = cli::realOf(words[k]);
    if (!value) throw std::runtime_error(where + ": " + what + " " + cli::quoted(words[k]) + " is not a number");
    return *value;
  }
};

void expectWords(const Statement& s, std::size_t low, std::size_t high, const char* form) {
  if (s.words.size() < low || s.words.size() > high)
    throw std::runtime_error(s.where + ": " + s.words[0] + " takes " + form);
}

void readStatement(const Statement& s, int line, Problem& p, bool& hasObjective) {
  const std::string& key = s.words[0];
  if (key == "parameter") {
    expectWords(s, 5, 5, "NAME START LOWER UPPER");
    Parameter q{s.words[1], s.number(2, "start"), s.number(3, "lower bound"), s.number(4, "upper bound")};
    if (!scan::isParameterName(q.name))
      throw std::runtime_error(s.where + ": " + cli::quoted(q.name) + " is not a parameter name (letters, digits, _)");
    for (const auto& other : p.parameters)
      if (other.name == q.name) throw std::runtime_error(s.where + ": parameter " + q.name + " given twice");
    if (!(q.lower < q.upper)) throw std::runtime_error(s.where + ": the lower bound must be below the upper one");
    // The search steps across a quarter of the span, which must be a number; halves cannot overflow.
    if (!(q.upper / 2 - q.lower / 2 <= std::numeric_limits<double>::max() / 2))
      throw std::runtime_error(s.where + ": the bounds lie too far apart to search between");
    if (q.start < q.lower || q.start > q.upper)
      throw std::runtime_error(s.where + ": the start " + s.words[2] + " lies outside its bounds " + s.words[3] +
                               " to " + s.words[4]);
    p.parameters.push_back(q);
  } else if (key == "minimize" || key == "maximize" || key == "target") {
    if (hasObjective) throw std::runtime_error(s.where + ": a second objective; give one of minimize, maximize, target");
    hasObjective = true;
    Objective& o = p.objective;
    o.figure = {s.words.size() > 1 ? s.words[1] : "", line};
    if (key == "target") {
      expectWords(s, 3, 4, "FIGURE VALUE [UNIT]");
      o.goal = Goal::kTarget;
      o.target = s.number(2, "target");
      o.unit = s.words.size() > 3 ? s.words[3] : "";
      if (o.target == 0) throw std::runtime_error(s.where + ": a target of 0 has no relative difference; minimize instead");
    } else {
      expectWords(s, 2, 2, "FIGURE");
      o.goal = key == "minimize" ? Goal::kMinimize : Goal::kMaximize;
    }
  } else if (key == "constraint") {
    expectWords(s, 4, 5, "FIGURE <= BOUND [UNIT] or FIGURE >= BOUND [UNIT]");
    if (s.words[2] != "<=" && s.words[2] != ">=")
      throw std::runtime_error(s.where + ": the constraint needs <= or >=, not " + cli::quoted(s.words[2]));
    p.constraints.push_back({{s.words[1], line}, s.words[2] == "<=", s.number(3, "bound"),
                             s.words.size() > 4 ? s.words[4] : ""});
  } else if (key == "algorithm") {
    expectWords(s, 2, 2, "one of cobyla, bobyqa, neldermead, isres");
    bool known = false;
    for (const auto& a : kAlgorithms)
      if (s.words[1] == a.name) p.algorithm = a.algorithm, known = true;
    if (!known)
      throw std::runtime_error(s.where + ": algorithm " + cli::quoted(s.words[1]) +
                               " is not one of cobyla, bobyqa, neldermead, isres");
  } else if (key == "tolerance") {
    expectWords(s, 2, 2, "a relative change of the parameters, above 0 and below 1");
    p.tolerance = s.number(1, "tolerance");
    if (!(p.tolerance > 0 && p.tolerance < 1))
      throw std::runtime_error(s.where + ": the tolerance must lie above 0 and below 1");
  } else if (key == "evaluations") {
    expectWords(s, 2, 2, "a whole number");
    const auto n = cli::wholeOf(s.words[1]);
    if (!n || *n < 1 || *n > kMaxEvaluations)
      throw std::runtime_error(s.where + ": evaluations needs a whole number from 1 to " +
                               std::to_string(kMaxEvaluations) + ", not " + cli::quoted(s.words[1]));
    p.evaluations = *n;
  } else if (key == "z") {
    expectWords(s, 2, 2, "the plane's position in mm");
    p.z = s.number(1, "position");
  } else {
    throw std::runtime_error(s.where + ": " + cli::quoted(key) +
                             " is no statement; give parameter, minimize, maximize, target, constraint, algorithm, "
                             "tolerance, evaluations or z");
  }
}

}  // namespace

std::string Constraint::text() const {
  return figure.name + (atMost ? " <= " : " >= ") + scan::shortestText(bound);
}

const char* algorithmName(Algorithm algorithm) {
  for (const auto& a : kAlgorithms)
    if (a.algorithm == algorithm) return a.name;
  return "";
}

bool readProblem(const std::string& text, const std::string& file, Problem& problem, std::string& error) {
  problem = {};
  problem.file = file;
  bool hasObjective = false;
  int algorithmLine = 0;
  std::istringstream lines(text);
  std::string content;
  try {
    for (int line = 1; std::getline(lines, content); ++line) {
      Statement s;
      s.where = file + ":" + std::to_string(line);
      std::istringstream words(content.substr(0, content.find('#')));
      // A figure's full name holds a blank before its "[unit]".
      for (std::string word; words >> word;)
        if (word.starts_with('[') && !s.words.empty()) s.words.back() += " " + word;
        else s.words.push_back(word);
      if (s.words.empty()) continue;
      if (s.words[0] == "algorithm") algorithmLine = line;
      readStatement(s, line, problem, hasObjective);
    }
    if (problem.parameters.empty()) throw std::runtime_error(file + ": no parameter");
    if (!hasObjective) throw std::runtime_error(file + ": no objective; give minimize, maximize or target");
    if (!problem.constraints.empty() && !keepsConstraints(problem.algorithm))
      throw std::runtime_error(file + ":" + std::to_string(algorithmLine) + ": " + algorithmName(problem.algorithm) +
                               " keeps bounds only; use cobyla or isres for constraints");
  } catch (const std::runtime_error& fault) {
    return (error = fault.what(), false);
  }
  return true;
}

}  // namespace kelm::optimize
