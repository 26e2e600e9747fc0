#include "source/solver/geometry/mesh_builder.h"

#include <algorithm>
#include <cstdio>

#include "source/solver/geometry/mesh_line_crossings.h"

namespace kelm::solver {
namespace {

constexpr std::int16_t kFree = ClassifiedMesh::kFree;

// The arm fractions toward +position and -position of a node at `at` on one mesh line.
void armsAlong(const std::vector<LineHit>& hits, double at, std::array<float, 4>& fraction,
               std::array<std::int16_t, 4>& electrode, std::size_t plusArm, std::size_t minusArm) {
  auto above = std::upper_bound(hits.begin(), hits.end(), at + kOnSurfaceCells,
                                [](double v, const LineHit& h) { return v < h.at; });
  if (above != hits.end() && above->at <= at + 1.0 + kOnSurfaceCells) {
    fraction[plusArm] = static_cast<float>(std::min(above->at - at, 1.0));
    electrode[plusArm] = above->electrode;
  }
  auto below = std::lower_bound(hits.begin(), hits.end(), at - kOnSurfaceCells,
                                [](const LineHit& h, double v) { return h.at < v; });
  if (below != hits.begin() && std::prev(below)->at >= at - 1.0 - kOnSurfaceCells) {
    fraction[minusArm] = static_cast<float>(std::min(at - std::prev(below)->at, 1.0));
    electrode[minusArm] = std::prev(below)->electrode;
  }
}

// Calls claim for every electrode whose surface passes through the node at `at`.
template <class Claim>
bool claimSurfaces(const std::vector<LineHit>& hits, double at, Claim claim) {
  auto h = std::lower_bound(hits.begin(), hits.end(), at - kOnSurfaceCells,
                            [](const LineHit& hit, double v) { return hit.at < v; });
  for (; h != hits.end() && h->at <= at + kOnSurfaceCells; ++h)
    if (!claim(h->electrode)) return false;
  return true;
}

Diagnostic overlap(const GunDescription& gun, int first, int second, int ir, int iz) {
  char where[96];
  std::snprintf(where, sizeof where, " overlap at r %g mm, z %g mm", ir * gun.mesh.cell_mm, iz * gun.mesh.cell_mm);
  const ElectrodeOutline& later = gun.electrodes[static_cast<std::size_t>(std::max(first, second))];
  return {later.line, 1,
          "electrodes '" + gun.electrodes[static_cast<std::size_t>(std::min(first, second))].name + "' and '" +
              later.name + "' at different potentials" + where};
}

}  // namespace

bool buildMesh(const GunDescription& gun, ClassifiedMesh& mesh, Diagnostic& error) {
  const int nr = gun.mesh.nr, nz = gun.mesh.nz;
  mesh = ClassifiedMesh{};
  mesh.nr = nr;
  mesh.nz = nz;
  mesh.cell_m = gun.mesh.cell_mm * 1e-3;
  for (const auto& e : gun.electrodes) mesh.electrodePotential_V.push_back(e.potential_V);
  mesh.rMaxEdge = gun.rMaxEdge;
  mesh.zMinEdge = gun.zMinEdge;
  mesh.zMaxEdge = gun.zMaxEdge;
  mesh.electrodeAt.assign(mesh.nodeCount(), kFree);
  mesh.armFraction.assign(mesh.nodeCount(), {1.0f, 1.0f, 1.0f, 1.0f});
  mesh.armElectrode.assign(mesh.nodeCount(), {kFree, kFree, kFree, kFree});

  const std::vector<OutlinePiece> pieces = outlinePieces(gun);
  const std::size_t electrodes = gun.electrodes.size();
  int ir = 0, iz = 0;
  // A node belongs to every electrode it lies in or on; two at different potentials cannot
  // share it.
  auto claim = [&](std::int16_t e) {
    std::int16_t& at = mesh.electrodeAt[mesh.node(ir, iz)];
    if (at == kFree) at = e;
    else if (gun.electrodes[static_cast<std::size_t>(e)].potential_V != gun.electrodes[static_cast<std::size_t>(at)].potential_V) {
      error = overlap(gun, at, e, ir, iz);
      return false;
    }
    return true;
  };
  std::vector<LineHit> hits;
  std::vector<char> inside(electrodes);
  // Along r at each z: surfaces through nodes, insides by the parity of crossings, r arms.
  for (iz = 0; iz < nz; ++iz) {
    meshLineHits(pieces, false, iz, hits);
    std::fill(inside.begin(), inside.end(), 0);
    std::size_t next = 0;
    for (ir = 0; ir < nr; ++ir) {
      for (; next < hits.size() && hits[next].at < ir; ++next)
        if (hits[next].countsForInside) inside[static_cast<std::size_t>(hits[next].electrode)] ^= 1;
      if (!claimSurfaces(hits, ir, claim)) return false;
      for (std::size_t e = 0; e < electrodes; ++e)
        if (inside[e] && !claim(static_cast<std::int16_t>(e))) return false;
      const std::size_t n = mesh.node(ir, iz);
      armsAlong(hits, ir, mesh.armFraction[n], mesh.armElectrode[n], kRPlus, kRMinus);
    }
  }
  // Along z at each r: surfaces through nodes that lie along an r line, and the z arms.
  for (ir = 0; ir < nr; ++ir) {
    meshLineHits(pieces, true, ir, hits);
    for (iz = 0; iz < nz; ++iz) {
      if (!claimSurfaces(hits, iz, claim)) return false;
      const std::size_t n = mesh.node(ir, iz);
      armsAlong(hits, iz, mesh.armFraction[n], mesh.armElectrode[n], kZPlus, kZMinus);
    }
  }
  // An electrode on a held edge would short it: the edge and the electrode must agree.
  const struct {
    const EdgeCondition& edge;
    const char* name;
    int irFirst, irLast, izFirst, izLast;
  } edges[] = {{gun.rMaxEdge, "rmax", nr - 1, nr - 1, 0, nz - 1},
               {gun.zMinEdge, "zmin", 0, nr - 1, 0, 0},
               {gun.zMaxEdge, "zmax", 0, nr - 1, nz - 1, nz - 1}};
  for (const auto& e : edges) {
    if (!e.edge.held) continue;
    for (iz = e.izFirst; iz <= e.izLast; ++iz)
      for (ir = e.irFirst; ir <= e.irLast; ++ir) {
        const std::int16_t at = mesh.electrodeAt[mesh.node(ir, iz)];
        if (at == kFree || gun.electrodes[static_cast<std::size_t>(at)].potential_V == e.edge.potential_V) continue;
        const ElectrodeOutline& electrode = gun.electrodes[static_cast<std::size_t>(at)];
        char text[160];
        std::snprintf(text, sizeof text, "' at %g V meets edge %s, held at %g V", electrode.potential_V, e.name,
                      e.edge.potential_V);
        error = {electrode.line, 1, "electrode '" + electrode.name + text};
        return false;
      }
  }
  // Electrode nodes have no arms; a free node next to an electrode node always meets its
  // surface on the way, at the neighbour at the latest.
  for (iz = 0; iz < nz; ++iz) {
    for (ir = 0; ir < nr; ++ir) {
      const std::size_t n = mesh.node(ir, iz);
      if (mesh.electrodeAt[n] != kFree) {
        mesh.armFraction[n] = {1.0f, 1.0f, 1.0f, 1.0f};
        mesh.armElectrode[n] = {kFree, kFree, kFree, kFree};
        continue;
      }
      const int nearIr[4] = {ir + 1, ir - 1, ir, ir};
      const int nearIz[4] = {iz, iz, iz + 1, iz - 1};
      for (int arm = 0; arm < 4; ++arm) {
        auto& fraction = mesh.armFraction[n][static_cast<std::size_t>(arm)];
        auto& electrode = mesh.armElectrode[n][static_cast<std::size_t>(arm)];
        fraction = std::clamp(fraction, 1e-6f, 1.0f);
        if (nearIr[arm] < 0 || nearIr[arm] >= nr || nearIz[arm] < 0 || nearIz[arm] >= nz) continue;
        const std::int16_t neighbour = mesh.electrodeAt[mesh.node(nearIr[arm], nearIz[arm])];
        if (neighbour != kFree && electrode == kFree) {
          fraction = 1.0f;
          electrode = neighbour;
        }
      }
    }
  }
  return true;
}

}  // namespace kelm::solver
