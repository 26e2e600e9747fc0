#include "source/kelm/gun_project.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "records/window_port.h"
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

namespace {

std::string describeMesh(const solver::MeshExtent& m) {
  char line[160];
  std::snprintf(line, sizeof line, "Mesh: %d x %d nodes (r x z), cell %.6g mm (%.4f nodes per mm), r to %.6g mm, z to %.6g mm",
                m.nr, m.nz, m.cell_mm, m.nodesPerMm, m.rExtent_mm, m.zExtent_mm);
  return line;
}

std::string describeElectrodes(const solver::GunDescription& gun) {
  std::string line = "Electrodes: " + std::to_string(gun.electrodes.size());
  const char* separator = " (";
  for (const auto& e : gun.electrodes) {
    char potential[48];
    std::snprintf(potential, sizeof potential, " %.6g V", e.potential_V);
    line += separator + e.name + potential;
    separator = ", ";
  }
  return line + ")";
}

}  // namespace

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
  report("geom.cod: " + std::to_string(project.gun.statements) + " statements read");
  report(describeMesh(project.gun.mesh));
  report(describeElectrodes(project.gun));
  return true;
}

}  // namespace kelm
