#include "source/program/gun/gun_project.h"

#include <string>

#include "records/window_port.h"
#include "source/project_files/input_file.h"
#include "source/solver/beam/solve_project.h"
#include "source/solver/geometry/mesh_builder.h"

namespace kelm {

// The record a list-directed write of the text makes, without its wrapping at 79 columns.
void report(const std::string& line) { records::windowPort().writeRecord(0, " " + line); }

bool loadGunProject(GunProject& project, const char* nothingDone, std::string* failure) {
  const auto fail = [&](const std::string& line) {
    report(line);
    if (failure != nullptr) *failure = line;
    return false;
  };
  std::string text, why;
  // A file too long is the parser's to report.
  switch (const auto read = projectfiles::readInputFile("geom.cod", solver::kMaxInputBytes, text, why)) {
    case projectfiles::InputRead::kOk:
    case projectfiles::InputRead::kTooLong: break;
    case projectfiles::InputRead::kMissing:
      return fail(std::string("geom.cod not found in this project: ") + nothingDone);
    default:
      return fail(projectfiles::inputFailure("geom.cod", read, why) + "; " + nothingDone);
  }
  solver::Diagnostic error;
  if (!solver::parseGunDescription(text, project.gun, error) || !solver::buildMesh(project.gun, project.mesh, error))
    return fail(solver::formatDiagnostic("geom.cod", error) + "; " + nothingDone);
  for (const std::string& line : solver::gunSummary(project.gun)) report(line);
  return true;
}

}  // namespace kelm
