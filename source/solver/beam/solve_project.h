#pragma once
// Solve on one project directory, without a window: geom.cod and klinput.dat in; pot.dat,
// potmap.dat, klplt.res, (for solenoids) mag.dat, the iterations' solve.csv and, when asked,
// beam.h5 out, committed together with solve-record.csv (see source/project_files). The Solve
// command and the command-line program are thin callers: they only show the lines and the outcome.

#include <functional>
#include <string>
#include <vector>

#include "source/project_files/result_commit.h"
#include "source/solver/beam/beam_iteration.h"
#include "source/solver/geometry/gun_description.h"

namespace kelm::solver {

struct SolveOutcome {
  bool solved = false;
  bool stopped = false;     // the progress asked to stop: nothing was written, not even a record
  std::string failure;      // one line, naming the file and what is wrong, when not solved
  bool beam = false;        // false: the gun has no cathode, only the vacuum field was solved
  int iterations = 0;
  bool converged = false;
  double finalChange = 0;   // of the last iteration
  double current_A = 0;
  double perveance_uP = 0;
  double seconds = 0;
  BeamTimes times;
  std::string surfaceWarning;  // the surface field over klinput.dat's limit; a warning, not a failure
};

// Every line of progress, and true to go on. Returning false stops after the present step and
// leaves the project as it was, so that a stopped solve never looks like a finished one.
using SolveProgress = std::function<bool(const std::string& line)>;

// What Build net and Solve say of the gun they read: its statements, mesh and electrodes.
std::vector<std::string> gunSummary(const GunDescription& gun);

// beam.h5 as the command line asks for it, beside what klinput.dat's output statement asks.
struct BeamFileRequest {
  bool write = false;
  std::vector<double> screens_mm;
};

// What a caller adds to the solve's commit: Build net's geom.dat, so that the outline becomes
// visible with the results or not at all, and the tests' stop between renames.
struct SolveCommit {
  std::vector<projectfiles::ResultFile> files;
  projectfiles::BeforeRename beforeRename;
};

// threads 0: one per core. No result is written when any input is wrong; the record then says
// the solve failed.
SolveOutcome solveProject(const std::string& directory, const SolveProgress& progress, int threads = 0,
                          const SolveCommit& commit = {}, const BeamFileRequest& beamFile = {});

}  // namespace kelm::solver
