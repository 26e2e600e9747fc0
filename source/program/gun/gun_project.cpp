#include "source/program/gun/gun_project.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "records/window_port.h"
#include "source/solver/beam/solve_project.h"
#include "source/solver/geometry/mesh_builder.h"

namespace kelm {

// The record a list-directed write of the text makes, without its wrapping at 79 columns.
void report(const std::string& line) { records::windowPort().writeRecord(0, " " + line); }

bool readTextFile(const char* name, std::string& text) {
  std::ifstream in(name, std::ios::binary);
  if (!in) return false;
  // One byte more than the parser takes, so that it can say the file is too long.
  text.assign(solver::kMaxInputBytes + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (in.bad()) return false;
  text.resize(static_cast<std::size_t>(in.gcount()));
  return true;
}

bool loadGunProject(GunProject& project, const char* nothingDone) {
  std::string text;
  if (!readTextFile("geom.cod", text)) {
    report(std::string("geom.cod not found in this project: ") + nothingDone);
    return false;
  }
  solver::Diagnostic error;
  if (!solver::parseGunDescription(text, project.gun, error)) {
    report(solver::formatDiagnostic("geom.cod", error) + "; " + nothingDone);
    return false;
  }
  if (!solver::buildMesh(project.gun, project.mesh, error)) {
    report(solver::formatDiagnostic("geom.cod", error) + "; " + nothingDone);
    return false;
  }
  for (const std::string& line : solver::gunSummary(project.gun)) report(line);
  return true;
}

}  // namespace kelm
