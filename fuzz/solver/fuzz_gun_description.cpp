// Random text as geom.cod and as klinput.dat. A description the parser accepts also goes
// through the mesh builder and the outline layout, on a mesh kept small so each run stays fast.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "source/solver/geometry/geometry_file.h"
#include "source/solver/geometry/gun_description.h"
#include "source/solver/geometry/mesh_builder.h"
#include "source/solver/geometry/outline_layout.h"
#include "source/solver/geometry/solver_input.h"

namespace {

constexpr long kMostNodesBuilt = 20000;
constexpr std::size_t kMostSegmentsBuilt = 400;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  kelm::solver::Diagnostic error;
  kelm::solver::SolverInput input;
  (void)kelm::solver::parseSolverInput(text, input, error);

  kelm::solver::GunDescription gun;
  if (!kelm::solver::parseGunDescription(text, gun, error)) return 0;
  std::size_t segments = 0;
  for (const auto& e : gun.electrodes) segments += e.segments.size();
  if (static_cast<long>(gun.mesh.nr) * gun.mesh.nz > kMostNodesBuilt || segments > kMostSegmentsBuilt) return 0;
  kelm::solver::ClassifiedMesh mesh;
  if (kelm::solver::buildMesh(gun, mesh, error)) {
    // The promise the field solver relies on: a free node next to an electrode node meets a
    // surface on that arm, within one cell.
    constexpr auto kFree = kelm::solver::ClassifiedMesh::kFree;
    for (int iz = 0; iz < mesh.nz; ++iz)
      for (int ir = 0; ir < mesh.nr; ++ir) {
        const std::size_t n = mesh.node(ir, iz);
        if (mesh.electrodeAt[n] != kFree) continue;
        const int nearIr[4] = {ir + 1, ir - 1, ir, ir}, nearIz[4] = {iz, iz, iz + 1, iz - 1};
        for (int arm = 0; arm < 4; ++arm) {
          const float fraction = mesh.armFraction[n][static_cast<std::size_t>(arm)];
          if (!(fraction > 0.0f && fraction <= 1.0f)) __builtin_trap();
          if (nearIr[arm] < 0 || nearIr[arm] >= mesh.nr || nearIz[arm] < 0 || nearIz[arm] >= mesh.nz) continue;
          if (mesh.electrodeAt[mesh.node(nearIr[arm], nearIz[arm])] != kFree &&
              mesh.armElectrode[n][static_cast<std::size_t>(arm)] == kFree)
            __builtin_trap();
        }
      }
  }
  std::vector<kelm::solver::OutlinePoint> points;
  std::string why;
  if (kelm::solver::layOutOutline(gun, points, why)) (void)kelm::solver::geometryFileText(gun.mesh, points);
  return 0;
}
