#include "source/solver/geometry/solver_input.h"

#include <algorithm>

#include "source/solver/geometry/gun_description.h"

namespace kelm::solver {
namespace {

// levels <V> <V> ...
bool levels(StatementReader& s, SolverInput& in, Diagnostic& error) {
  const Word& head = s.last();
  if (!in.levels_V.empty()) return (error = diagnosticAt(head, "levels already given"), false);
  while (!s.atEnd()) {
    if (static_cast<int>(in.levels_V.size()) >= kMaxPotLines)
      return (error = diagnosticAt(s.peek(), "too many levels: at most " + std::to_string(kMaxPotLines)), false);
    double v = 0;
    if (!s.number(v, "level", -kMaxPotential_V, kMaxPotential_V, error)) return false;
    if (std::find(in.levels_V.begin(), in.levels_V.end(), v) != in.levels_V.end())
      return (error = diagnosticAt(s.last(), "level given twice"), false);
    in.levels_V.push_back(v);
  }
  if (in.levels_V.empty()) return (error = s.missing("level in V"), false);
  return true;
}

// emission space-charge | emission temperature <A/cm²> | emission layer <mm> | emission none |
// emission thermionic work-function <eV> [richardson <A/(m² K²)>]
bool emission(StatementReader& s, SolverInput& in, Diagnostic& error) {
  if (s.optionalKeyword("none")) return (in.traces = false, true);
  if (s.optionalKeyword("layer")) return s.positive(in.emissionLayer_mm, "layer depth", kMaxLength_mm, error);
  if (s.optionalKeyword("thermionic")) {
    in.spaceChargeLimited = false;
    in.thermionic = true;
    in.traces = true;
    if (!s.keyword("work-function", error) || !s.positive(in.workFunction_eV, "work function", 100, error)) return false;
    return !s.optionalKeyword("richardson") || s.positive(in.richardson_A_per_m2K2, "Richardson constant", 1e9, error);
  }
  if (s.optionalKeyword("space-charge")) {
    in.spaceChargeLimited = true;
    in.thermionic = false;
    in.traces = true;
    return true;
  }
  if (s.optionalKeyword("temperature")) {
    in.spaceChargeLimited = false;
    in.thermionic = false;
    in.traces = true;
    return s.positive(in.emissionDensity_A_per_cm2, "current density", 1e6, error);
  }
  if (s.atEnd()) error = s.missing("'space-charge', 'temperature', 'thermionic', 'layer' or 'none'");
  else error = diagnosticAt(s.peek(), "expected 'space-charge', 'temperature', 'thermionic', 'layer' or 'none', found '" + std::string(s.peek().text) + "'");
  return false;
}

// solenoid z <mm> length <mm> radius <mm> turns <ampere-turns>
bool solenoid(StatementReader& s, SolverInput& in, Diagnostic& error) {
  if (static_cast<int>(in.solenoids.size()) >= kMaxSolenoids)
    return (error = diagnosticAt(s.last(), "too many solenoids: at most " + std::to_string(kMaxSolenoids)), false);
  Solenoid c;
  if (!s.keyword("z", error) || !s.number(c.z_mm, "solenoid centre", -kMaxLength_mm, kMaxLength_mm, error)) return false;
  if (!s.keyword("length", error) || !s.positive(c.length_mm, "solenoid length", kMaxLength_mm, error)) return false;
  if (!s.keyword("radius", error) || !s.positive(c.radius_mm, "solenoid radius", kMaxLength_mm, error)) return false;
  if (!s.keyword("turns", error) || !s.number(c.ampereTurns, "ampere-turns", -1e9, 1e9, error)) return false;
  in.solenoids.push_back(c);
  return true;
}

// output openpmd [screens <mm> <mm> ...]
bool output(StatementReader& s, SolverInput& in, Diagnostic& error) {
  if (!s.keyword("openpmd", error)) return false;
  in.openPMD = true;
  if (!s.optionalKeyword("screens")) return true;
  while (!s.atEnd()) {
    if (static_cast<int>(in.screens_mm.size()) >= kMaxScreens)
      return (error = diagnosticAt(s.peek(), "too many screens: at most " + std::to_string(kMaxScreens)), false);
    double z = 0;
    if (!s.number(z, "screen position", -kMaxLength_mm, kMaxLength_mm, error)) return false;
    in.screens_mm.push_back(z);
  }
  if (in.screens_mm.empty()) return (error = s.missing("screen position in mm"), false);
  return true;
}

// cathode temperature <K> | cathode rays <nodes>
bool cathode(StatementReader& s, SolverInput& in, Diagnostic& error) {
  if (s.optionalKeyword("rays")) return s.integer(in.thermalNodes, "thermal ray nodes", 1, kMaxThermalNodes, error);
  if (s.optionalKeyword("temperature")) return s.positive(in.cathodeTemperature_K, "temperature", 1e5, error);
  if (s.atEnd()) error = s.missing("'temperature' or 'rays'");
  else error = diagnosticAt(s.peek(), "expected 'temperature' or 'rays', found '" + std::string(s.peek().text) + "'");
  return false;
}

bool statement(StatementReader& s, SolverInput& in, Diagnostic& error) {
  const Word& head = s.peek();
  std::string_view ignored;
  (void)s.word(ignored, "", error);
  bool ok;
  if (isKeyword(head, "levels")) ok = levels(s, in, error);
  else if (isKeyword(head, "trajectories")) ok = s.integer(in.trajectories, "trajectory count", 1, kMaxTrajectories, error);
  else if (isKeyword(head, "emission")) ok = emission(s, in, error);
  else if (isKeyword(head, "iterations")) ok = s.integer(in.iterations, "iteration count", 1, 10000, error);
  else if (isKeyword(head, "relaxation")) ok = s.number(in.relaxation, "relaxation factor", kMinRelaxation, 1.0, error);
  else if (isKeyword(head, "tolerance")) ok = s.number(in.tolerance, "tolerance", kMinTolerance, 1.0, error);
  else if (isKeyword(head, "solenoid")) ok = solenoid(s, in, error);
  else if (isKeyword(head, "cathode")) ok = cathode(s, in, error);
  else if (isKeyword(head, "output")) ok = output(s, in, error);
  else if (isKeyword(head, "surface-field"))
    ok = s.keyword("limit", error) && s.positive(in.surfaceFieldLimit_kV_per_mm, "surface field limit", 1e6, error);
  else if (isKeyword(head, "magfield")) {
    std::string_view file;
    ok = s.word(file, "file name", error);
    in.magneticFieldFile = file;
  } else {
    error = diagnosticAt(head, "unknown statement '" + std::string(head.text) + "'");
    return false;
  }
  return ok && s.finished(error);
}

}  // namespace

bool parseSolverInput(std::string_view text, SolverInput& input, Diagnostic& error) {
  input = SolverInput{};
  std::vector<std::vector<Word>> statements;
  if (!splitStatements(text, statements, error)) return false;
  for (const auto& words : statements) {
    StatementReader s(words);
    if (!statement(s, input, error)) return false;
    ++input.statements;
  }
  if (input.thermionic && !(input.cathodeTemperature_K > 0)) {
    error = {statements.back().front().line, 1, "thermionic emission needs the cathode's temperature"};
    return false;
  }
  if (!input.solenoids.empty() && !input.magneticFieldFile.empty()) {
    error = {statements.back().front().line, 1, "give solenoids or a magfield file, not both"};
    return false;
  }
  return true;
}

}  // namespace kelm::solver
