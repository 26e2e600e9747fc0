#include "source/program/gun/gun_commands.h"

#include <cstdio>
#include <string>
#include <vector>

#include "records/formatted.h"
#include "runtime/whole_file.h"
#include "source/program/gun/gun_project.h"
#include "source/solver/beam/solve_project.h"
#include "source/project_files/project_lock.h"
#include "source/solver/geometry/geometry_file.h"
#include "window/frame.h"

namespace kelm {

namespace {

// The project's lock for a command; false, said in Output, when another solve holds it.
bool lockProject(projectfiles::ProjectLock& lock, const char* nothingDone) {
  std::string error;
  if (lock.acquire(".", error)) return true;
  report(error + "; " + nothingDone);
  return false;
}

// Build net's geom.dat text; false, said in Output, when geom.cod is wrong.
bool buildNet(std::string& geometry, std::string& summary) {
  GunProject project;
  if (!loadGunProject(project, "nothing built")) return false;
  std::vector<solver::OutlinePoint> points;
  std::string error;
  if (!solver::layOutOutline(project.gun, points, error)) {
    report(error + "; nothing built");
    return false;
  }
  geometry = solver::geometryFileText(project.gun.mesh, points);
  summary = "geom.dat written: " + std::to_string(points.size()) + " outline points";
  return true;
}

void solve(const solver::SolveCommit& commit) {
  const solver::SolveOutcome outcome = solver::solveProject(".", [](const std::string& line) {
    report(line);
    // The Output window is minimised while a project is shown: the iteration goes to the
    // status bar too.
    if (line.starts_with("Iteration")) window::setStatusNote("Solve: " + line.substr(0, line.find(':')));
    window::waitWhilePaused();
    return true;
  }, 0, commit);
  if (!outcome.solved) {
    // "geom.cod not found in this project: nothing solved", as Build net says it.
    report(outcome.failure + (outcome.failure.ends_with("in this project") ? ": " : "; ") + "nothing solved");
  } else if (outcome.beam) {
    char line[200];
    std::snprintf(line, sizeof line, "Solved in %.3f s: %d iterations%s, current %.6g A, perveance %.5g uP",
                  outcome.seconds, outcome.iterations, outcome.converged ? " (converged)" : "",
                  outcome.current_A, outcome.perveance_uP);
    report(line);
  } else {
    char line[80];
    std::snprintf(line, sizeof line, "Solved in %.3f s: the vacuum field only", outcome.seconds);
    report(line);
  }
  if (outcome.solved && !outcome.surfaceWarning.empty()) window::setStatusNote(outcome.surfaceWarning);
}

}  // namespace

void runSolve() {
  records::print();
  records::print("Solve");
  projectfiles::ProjectLock lock;
  if (lockProject(lock, "nothing solved")) solve({});
  records::print();
}

void runBuildNet() {
  records::print();
  records::print("Build net");
  projectfiles::ProjectLock lock;
  std::string geometry, summary, error;
  if (lockProject(lock, "nothing built") && buildNet(geometry, summary)) {
    if (runtime::writeWholeFile("geom.dat", geometry, error)) report(summary);
    else report("geom.dat not written: " + error);
  }
  records::print();
}

void runBuildNetAndSolve() {
  records::print();
  records::print("Build net");
  projectfiles::ProjectLock lock;
  std::string geometry, summary;
  if (!lockProject(lock, "nothing built") || !buildNet(geometry, summary)) {
    records::print();
    return;
  }
  // The new outline becomes visible with the results, or the old one stays.
  report(summary.replace(0, summary.find(':'), "geom.dat ready") + ", written with the results");
  records::print();
  records::print();
  records::print("Solve");
  solver::SolveCommit commit;
  commit.files.push_back({"geom.dat", std::move(geometry)});
  solve(commit);
  records::print();
}

}  // namespace kelm
