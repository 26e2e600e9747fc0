#pragma once
// Solve on one project directory, without a window: geom.cod and klinput.dat in; pot.dat,
// potmap.dat, klplt.res and (for solenoids) mag.dat out, each written whole. The Solve command
// and the command-line program are thin callers: they only show the lines and the outcome.

#include <functional>
#include <string>
#include <vector>

#include "source/solver/beam/beam_iteration.h"
#include "source/solver/geometry/gun_description.h"

namespace kelm::solver {

struct SolveOutcome {
  bool solved = false;
  std::string failure;      // one line, naming the file and what is wrong, when not solved
  bool beam = false;        // false: the gun has no cathode, only the vacuum field was solved
  int iterations = 0;
  bool converged = false;
  double finalChange = 0;
  double current_A = 0;
  double perveance_uP = 0;
  double seconds = 0;
  BeamTimes times;
};

// Every line of progress, and true to go on. Returning false stops after the present
// iteration; what has been computed is still written.
using SolveProgress = std::function<bool(const std::string& line)>;

// What Build net and Solve say of the gun they read: its statements, mesh and electrodes.
std::vector<std::string> gunSummary(const GunDescription& gun);

// threads 0: one per core. Nothing is written when any input is wrong.
SolveOutcome solveProject(const std::string& directory, const SolveProgress& progress, int threads = 0);

}  // namespace kelm::solver
