#include "source/export/surface_field_table.h"

#include <cstdio>
#include <filesystem>

#include "source/export/figure_tables.h"
#include "source/project_files/input_file.h"
#include "source/solver/field/potential_map.h"
#include "source/solver/field/surface_field.h"
#include "source/solver/geometry/mesh_builder.h"

namespace kelm::exporting {

bool surfaceFieldTable(const std::string& directory, bool header, std::string& table, std::string& error) {
  const std::string geomPath = (std::filesystem::path(directory) / "geom.cod").string();
  std::string text, why;
  const projectfiles::InputRead read = projectfiles::readInputFile(geomPath, solver::kMaxInputBytes, text, why);
  if (read != projectfiles::InputRead::kOk) return (error = projectfiles::inputFailure("geom.cod", read, why), false);
  solver::GunDescription gun;
  solver::ClassifiedMesh mesh;
  solver::Diagnostic d;
  if (!solver::parseGunDescription(text, gun, d) || !solver::buildMesh(gun, mesh, d))
    return (error = solver::formatDiagnostic("geom.cod", d), false);
  solver::PotentialMap map;
  if (!solver::readPotentialMap((std::filesystem::path(directory) / "potmap.dat").string(), map, error)) return false;
  // A map of another mesh would put the potential on the wrong nodes.
  if (map.nr != mesh.nr || map.nz != mesh.nz || map.cell_m != mesh.cell_m)
    return (error = "potmap.dat was solved on another mesh than geom.cod's: solve again", false);
  const solver::SurfaceField field = solver::surfaceField(gun, mesh, map.potential_V);
  table.clear();
  if (header) table = "electrode,arc [mm],z [mm],r [mm],field [kV/mm]\n";
  for (const solver::SurfaceSample& s : field.samples) {
    // Nine digits: the positions are sums of cells, whose last bits are rounding.
    char numbers[120];
    std::snprintf(numbers, sizeof numbers, ",%.9g,%.9g,%.9g,%.9g\n", s.arc_m * 1e3, s.z_m * 1e3, s.r_m * 1e3,
                  s.field_V_per_m * 1e-6);
    table += escapedText(gun.electrodes[static_cast<std::size_t>(s.electrode)].name) + numbers;
  }
  return true;
}

}  // namespace kelm::exporting
