#pragma once
// What klinput.dat tells the solver, in the same one-statement-a-line style as geom.cod.
// Everything is optional; a statement left out keeps its default.

#include <string>
#include <string_view>
#include <vector>

#include "source/project_files/capacities.h"
#include "source/solver/geometry/statement_lexer.h"

namespace kelm::solver {

inline constexpr int kMaxSolenoids = 50;
// Gauss–Hermite nodes per tangential component of the thermal rays: beyond 5 a site's rays
// (75) cost more tracing than their finer spread is worth.
inline constexpr int kMaxThermalNodes = 5;
// Below this relaxation a pass moves the beam too little to tell a settled iteration from a
// slow one; below this tolerance rounding decides.
inline constexpr double kMinRelaxation = 0.05;
inline constexpr double kMinTolerance = 1e-9;
// Planes whose crossings beam.h5 holds, each an iteration of its own.
inline constexpr int kMaxScreens = 100;

struct Solenoid {
  double z_mm = 0;       // centre
  double length_mm = 0;
  double radius_mm = 0;
  double ampereTurns = 0;
};

struct SolverInput {
  std::vector<double> levels_V;  // empty: ten levels between the electrode potentials
  int trajectories = 12;
  bool spaceChargeLimited = true;
  double emissionDensity_A_per_cm2 = 0;  // temperature limited only
  double emissionLayer_mm = 0.6;         // depth of the emission layer
  // Thermionic emission: Richardson–Dushman at the cathode's temperature, lowered by the
  // surface field (Schottky); the temperature is needed then.
  bool thermionic = false;
  double workFunction_eV = 0;
  double richardson_A_per_m2K2 = 1.20173e6;
  double cathodeTemperature_K = 0;  // 0: not given
  int thermalNodes = 2;  // per tangential velocity component of the thermal rays
  bool traces = true;  // false ('emission none'): the vacuum field only, even with a cathode
  double surfaceFieldLimit_kV_per_mm = 0;  // 0: none; a larger surface field is warned of
  int iterations = 100;
  double relaxation = 0.5;
  double tolerance = 1e-3;
  std::vector<Solenoid> solenoids;
  std::string magneticFieldFile;  // a mag.dat to use as given
  bool openPMD = false;           // also write beam.h5
  std::vector<double> screens_mm;  // planes z = const for beam.h5
  int statements = 0;
};

bool parseSolverInput(std::string_view text, SolverInput& input, Diagnostic& error);

}  // namespace kelm::solver
