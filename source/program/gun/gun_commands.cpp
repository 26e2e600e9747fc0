#include "source/program/gun/gun_commands.h"

#include <cstdio>
#include <string>
#include <vector>

#include "records/formatted.h"
#include "runtime/whole_file.h"
#include "source/program/gun/command_status.h"
#include "source/program/gun/gun_project.h"
#include "source/program/request_flags.h"
#include "source/project_files/input_file.h"
#include "source/solver/beam/solve_project.h"
#include "source/project_files/project_lock.h"
#include "source/solver/geometry/geometry_file.h"
#include "source/solver/geometry/solver_input.h"
#include "window/command_progress.h"
#include "window/frame.h"

namespace kelm {

namespace {

// The project's lock for a command; false, said in Output, when another solve holds it.
bool lockProject(projectfiles::ProjectLock& lock, const char* nothingDone, std::string& error) {
  if (lock.acquire(".", error)) return true;
  report(error + "; " + nothingDone);
  return false;
}

// Build net's geom.dat text; false, said in Output and in result, when geom.cod is wrong.
bool buildNet(std::string& geometry, std::string& summary, CommandResult& result) {
  GunProject project;
  std::string error;
  std::vector<solver::OutlinePoint> points;
  if (!loadGunProject(project, "nothing built", &error)) return (result = {CommandEnd::kFailed, failedText("Build net", error)}, false);
  if (!solver::layOutOutline(project.gun, points, error)) {
    report(error + "; nothing built");
    return (result = {CommandEnd::kFailed, failedText("Build net", error)}, false);
  }
  geometry = solver::geometryFileText(project.gun.mesh, points);
  summary = "geom.dat written: " + std::to_string(points.size()) + " outline points";
  return true;
}

// The largest number of iterations klinput.dat allows, for the progress; the solve itself
// reports an input it cannot read.
int iterationsAtMost() {
  solver::SolverInput input;
  std::string text, why;
  solver::Diagnostic ignored;
  if (projectfiles::readInputFile("klinput.dat", solver::kMaxInputBytes, text, why) == projectfiles::InputRead::kOk)
    (void)solver::parseSolverInput(text, input, ignored);
  return input.iterations;
}

CommandResult stoppedResult(const char* command) {
  report(std::string(command) + " stopped: nothing written, the project is as it was");
  return {CommandEnd::kStopped, std::string(command) + " stopped: the project is as it was"};
}

// A field above klinput.dat's surface-field limit stays in sight with the outcome.
std::string withSurfaceWarning(std::string status, const solver::SolveOutcome& outcome) {
  return outcome.surfaceWarning.empty() ? status : status + " | " + outcome.surfaceWarning;
}

CommandResult solve(const solver::SolveCommit& commit) {
  const int most = iterationsAtMost();
  window::showStatusProgress(0, most, "Solving: the views show the last results");
  const solver::SolveOutcome outcome = solver::solveProject(".", [most](const std::string& line) {
    report(line);
    if (const auto step = iterationOf(line)) {
      window::setStatusNote(progressText(*step, most));
      window::showStatusProgress(step->iteration, most, "Solving: the views show the last results");
    }
    window::waitWhilePaused();
    return stopRequested.load() == 0;
  }, 0, commit);
  if (outcome.stopped) return stoppedResult("Solve");
  if (!outcome.solved) {
    // "geom.cod not found in this project: nothing solved", as Build net says it.
    report(outcome.failure + (outcome.failure.ends_with("in this project") ? ": " : "; ") + "nothing solved");
    return {CommandEnd::kFailed, failedText("Solve", outcome.failure)};
  }
  if (!outcome.beam) {
    char line[80];
    std::snprintf(line, sizeof line, "Solved in %.3f s: the vacuum field only", outcome.seconds);
    report(line);
    return {CommandEnd::kDone, withSurfaceWarning("Solved: the vacuum field only", outcome)};
  }
  char line[200];
  std::snprintf(line, sizeof line, "Solved in %.3f s: %d iterations%s, current %.6g A, perveance %.5g uP",
                outcome.seconds, outcome.iterations, outcome.converged ? " (converged)" : "", outcome.current_A,
                outcome.perveance_uP);
  report(line);
  return {outcome.converged ? CommandEnd::kDone : CommandEnd::kNotConverged,
          withSurfaceWarning(solvedText(outcome.iterations, outcome.converged, outcome.current_A, outcome.perveance_uP),
                             outcome)};
}

}  // namespace

CommandResult runSolve() {
  records::print();
  records::print("Solve");
  projectfiles::ProjectLock lock;
  std::string error;
  CommandResult result = lockProject(lock, "nothing solved", error) ? solve({})
                                                                     : CommandResult{CommandEnd::kFailed, failedText("Solve", error)};
  records::print();
  return result;
}

CommandResult runBuildNet() {
  records::print();
  records::print("Build net");
  window::showStatusProgress(0, 0, "Building the net: the views show the last results");
  projectfiles::ProjectLock lock;
  std::string geometry, summary, error;
  CommandResult result;
  if (!lockProject(lock, "nothing built", error)) {
    result = {CommandEnd::kFailed, failedText("Build net", error)};
  } else if (buildNet(geometry, summary, result)) {
    if (stopRequested.load() != 0) {
      result = stoppedResult("Build net");
    } else if (runtime::writeWholeFile("geom.dat", geometry, error)) {
      report(summary);
      result = {CommandEnd::kDone, "Built: " + summary.substr(summary.find(':') + 2)};
    } else {
      report("geom.dat not written: " + error);
      result = {CommandEnd::kFailed, "Build net failed: geom.dat not written"};
    }
  }
  records::print();
  return result;
}

CommandResult runBuildNetAndSolve() {
  records::print();
  records::print("Build net");
  projectfiles::ProjectLock lock;
  std::string geometry, summary, error;
  CommandResult result;
  if (!lockProject(lock, "nothing built", error)) result = {CommandEnd::kFailed, failedText("Build net", error)};
  if (result.end == CommandEnd::kFailed || !buildNet(geometry, summary, result)) {
    records::print();
    return result;
  }
  // The new outline becomes visible with the results, or the old one stays.
  report(summary.replace(0, summary.find(':'), "geom.dat ready") + ", written with the results");
  records::print();
  records::print();
  records::print("Solve");
  solver::SolveCommit commit;
  commit.files.push_back({"geom.dat", std::move(geometry)});
  result = solve(commit);
  records::print();
  return result;
}

}  // namespace kelm
