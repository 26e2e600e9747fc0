#include "source/solver/beam/beam_file_content.h"

#include "source/openpmd/beam_file_writer.h"
#include "source/solver/beam/potential_field.h"

namespace kelm::solver {

bool beamFileBytes(const ClassifiedMesh& mesh, const std::vector<double>& potential_V,
                   const AxialMagneticField& magnetic, const BeamResult* beam, const std::vector<double>& screens_mm,
                   std::string& bytes, std::string& error) {
  openpmd::BeamContent c;
  openpmd::GridFields& g = c.grid;
  g.nr = mesh.nr;
  g.nz = mesh.nz;
  g.cell_m = mesh.cell_m;
  g.phi_V = potential_V;
  const PotentialField field(mesh, potential_V);
  for (int iz = 0; iz < mesh.nz; ++iz)
    for (int ir = 0; ir < mesh.nr; ++ir) {
      const double r = ir * mesh.cell_m, z = iz * mesh.cell_m;
      const FieldPoint e = field.at(r, z);
      const AxialFieldSample b = magnetic.at(z);
      g.er_V_per_m.push_back(e.er_V_per_m);
      g.ez_V_per_m.push_back(e.ez_V_per_m);
      // The paraxial B_z the tracer uses.
      g.bz_T.push_back(b.b_T - r * r * b.d2b_T_per_m2 / 4);
    }
  std::int32_t id = 0;
  if (beam)
    for (const BeamTrajectory& t : beam->trajectories) c.rays.push_back({++id, t.current_A, t.trace.points});
  for (double z : screens_mm) c.screens_m.push_back(z * 1e-3);
  return openpmd::beamFileBytes(c, bytes, error);
}

}  // namespace kelm::solver
