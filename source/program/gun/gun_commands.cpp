#include "source/program/gun/gun_commands.h"

#include <cstdio>
#include <string>
#include <vector>

#include "records/formatted.h"
#include "runtime/whole_file.h"
#include "source/program/gun/gun_project.h"
#include "source/solver/beam/solve_project.h"
#include "source/solver/geometry/geometry_file.h"
#include "window/frame.h"

namespace kelm {

void runSolve() {
  records::print();
  records::print("Solve");
  const solver::SolveOutcome outcome = solver::solveProject(".", [](const std::string& line) {
    report(line);
    // The Output window is minimised while a project is shown: the iteration goes to the
    // status bar too.
    if (line.starts_with("Iteration")) window::setStatusNote("Solve: " + line.substr(0, line.find(':')));
    window::waitWhilePaused();
    return true;
  });
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
  records::print();
}

void runBuildNet() {
  records::print();
  records::print("Build net");
  GunProject project;
  if (!loadGunProject(project, "nothing built")) {
    records::print();
    return;
  }
  std::vector<solver::OutlinePoint> points;
  std::string error;
  if (!solver::layOutOutline(project.gun, points, error)) {
    report(error + "; nothing built");
  } else if (!runtime::writeWholeFile("geom.dat", solver::geometryFileText(project.gun.mesh, points), error)) {
    report("geom.dat not written: " + error);
  } else {
    report("geom.dat written: " + std::to_string(points.size()) + " outline points");
  }
  records::print();
}

}  // namespace kelm
