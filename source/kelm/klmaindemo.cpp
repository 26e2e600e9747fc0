#include "source/kelm/klmaindemo.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "records/formatted.h"
#include "runtime/whole_file.h"
#include "source/kelm/gun_project.h"
#include "source/solver/field/equipotentials.h"
#include "source/solver/field/field_solver.h"
#include "source/solver/field/potential_map.h"
#include "source/solver/geometry/geometry_file.h"
#include "source/solver/geometry/solver_input.h"

namespace kelm {
namespace {

// klinput.dat, when the project has one; a missing one leaves every default.
bool readSolverInput(solver::SolverInput& input, std::string& summary) {
  std::string text;
  if (!readTextFile("klinput.dat", text)) {
    summary = "klinput.dat not found: the default equipotential levels";
    return true;
  }
  solver::Diagnostic error;
  if (solver::parseSolverInput(text, input, error)) {
    summary = "klinput.dat: " + std::to_string(input.statements) + " statements read";
    return true;
  }
  report(solver::formatDiagnostic("klinput.dat", error) + "; nothing solved");
  return false;
}

std::string seconds(std::chrono::steady_clock::duration d) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f s", std::chrono::duration<double>(d).count());
  return text;
}

}  // namespace

void runSolve() {
  records::print();
  records::print("Solve");
  solver::SolverInput input;
  std::string inputSummary;
  GunProject project;
  if (!readSolverInput(input, inputSummary) || !loadGunProject(project, "nothing solved")) {
    records::print();
    return;
  }
  report(inputSummary);
  const std::vector<double> levels =
      input.levels_V.empty() ? solver::defaultEquipotentialLevels(project.mesh) : input.levels_V;
  const auto start = std::chrono::steady_clock::now();
  solver::FieldSolver field;
  std::string error;
  if (!field.prepare(project.mesh, error)) {
    report("Field not solved: " + error);
    records::print();
    return;
  }
  std::vector<double> potential;
  field.solve({}, potential);
  report("Vacuum field of " + std::to_string(project.mesh.nodeCount()) + " nodes solved in " +
                 seconds(std::chrono::steady_clock::now() - start));
  if (!solver::writePotentialMap("potmap.dat", project.mesh, potential, error)) {
    report("potmap.dat not written: " + error);
  } else if (!solver::writeEquipotentials("pot.dat", project.mesh, potential, levels, error)) {
    report("pot.dat not written: " + error);
  } else {
    report("potmap.dat written");
    report("pot.dat written: " + std::to_string(levels.size()) + " equipotential levels");
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
