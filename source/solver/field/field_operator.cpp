#include "source/solver/field/field_operator.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>

#include "source/solver/physical_constants.h"

namespace kelm::solver {
namespace {

// Where one arm of a free node ends: at an unknown, or at a known potential, after len_m.
struct ArmEnd {
  double len_m = 0;
  int unknown = -1;
  double value_V = 0;
};

std::string at(int ir, int iz) {
  return " at node (" + std::to_string(ir) + ", " + std::to_string(iz) + ")";
}

bool checkShape(const ClassifiedMesh& mesh, std::string& error) {
  if (mesh.nr < 2 || mesh.nz < 2) {
    error = "the mesh needs at least 2 nodes along r and z";
    return false;
  }
  if (!std::isfinite(mesh.cell_m) || mesh.cell_m <= 0) {
    error = "the mesh cell size must be positive";
    return false;
  }
  const std::size_t n = mesh.nodeCount();
  if (n > kMaxFieldNodes) {
    error = "the mesh has " + std::to_string(n) + " nodes, more than the field solver's " +
            std::to_string(kMaxFieldNodes);
    return false;
  }
  if (mesh.electrodeAt.size() != n || mesh.armFraction.size() != n || mesh.armElectrode.size() != n) {
    error = "the mesh's node tables do not match its size";
    return false;
  }
  for (double v : mesh.electrodePotential_V)
    if (!(std::abs(v) <= kMaxFieldPotential_V)) {
      error = "an electrode potential is beyond 1e9 V";
      return false;
    }
  for (const EdgeCondition* edge : {&mesh.rMaxEdge, &mesh.zMinEdge, &mesh.zMaxEdge})
    if (edge->held && !(std::abs(edge->potential_V) <= kMaxFieldPotential_V)) {
      error = "an edge potential is beyond 1e9 V";
      return false;
    }
  return true;
}

bool validElectrode(const ClassifiedMesh& mesh, std::int16_t e) {
  return e >= 0 && static_cast<std::size_t>(e) < mesh.electrodePotential_V.size();
}

// Nodes inside electrodes and on held edges take fixed values; the rest become unknowns.
bool classifyNodes(const ClassifiedMesh& mesh, FieldOperator& op, std::string& error) {
  const std::size_t n = mesh.nodeCount();
  op.unknownOf.assign(n, -1);
  op.fixedValue_V.assign(n, 0.0);
  int unknowns = 0;
  for (int iz = 0; iz < mesh.nz; ++iz)
    for (int ir = 0; ir < mesh.nr; ++ir) {
      const std::size_t node = mesh.node(ir, iz);
      const std::int16_t e = mesh.electrodeAt[node];
      if (e != ClassifiedMesh::kFree) {
        if (!validElectrode(mesh, e)) {
          error = "unknown electrode " + std::to_string(e) + at(ir, iz);
          return false;
        }
        op.fixedValue_V[node] = mesh.electrodePotential_V[static_cast<std::size_t>(e)];
      } else if (iz == 0 && mesh.zMinEdge.held) {
        op.fixedValue_V[node] = mesh.zMinEdge.potential_V;
      } else if (iz == mesh.nz - 1 && mesh.zMaxEdge.held) {
        op.fixedValue_V[node] = mesh.zMaxEdge.potential_V;
      } else if (ir == mesh.nr - 1 && mesh.rMaxEdge.held) {
        op.fixedValue_V[node] = mesh.rMaxEdge.potential_V;
      } else {
        op.unknownOf[node] = unknowns++;
      }
    }
  return true;
}

// The arm's end inside the domain, or false when the arm leaves it (an open edge or the axis).
bool armEnd(const ClassifiedMesh& mesh, const FieldOperator& op, int ir, int iz, Arm arm,
            ArmEnd& end, std::string& error) {
  static constexpr int kDr[4] = {1, -1, 0, 0};
  static constexpr int kDz[4] = {0, 0, 1, -1};
  const int jr = ir + kDr[arm];
  const int jz = iz + kDz[arm];
  if (jr < 0 || jr >= mesh.nr || jz < 0 || jz >= mesh.nz) return false;
  const std::size_t node = mesh.node(ir, iz);
  const std::int16_t e = mesh.armElectrode[node][static_cast<std::size_t>(arm)];
  if (e != ClassifiedMesh::kFree) {
    const float f = mesh.armFraction[node][static_cast<std::size_t>(arm)];
    if (!validElectrode(mesh, e) || !(f > 0.0f && f <= 1.0f)) {
      error = "a surface crossing is out of range" + at(ir, iz);
      return false;
    }
    end = {f * mesh.cell_m, -1, mesh.electrodePotential_V[static_cast<std::size_t>(e)]};
    return true;
  }
  const std::size_t neighbour = mesh.node(jr, jz);
  end = {mesh.cell_m, op.unknownOf[neighbour], op.fixedValue_V[neighbour]};
  return true;
}

// The node's cell, clipped to the domain: the axis and the edges cut it in half.
struct Cell {
  double rLo_m, rHi_m, zLo_m, zHi_m;
  double rArea_m2() const { return (rHi_m * rHi_m - rLo_m * rLo_m) / 2; }  // ∫ r dr
  double volume_m3() const { return rArea_m2() * (zHi_m - zLo_m); }        // per radian
  double zLength_m() const { return zHi_m - zLo_m; }
};

Cell cellOf(const ClassifiedMesh& mesh, int ir, int iz) {
  const double h = mesh.cell_m;
  return {std::max(0, 2 * ir - 1) * h / 2, std::min(2 * ir + 1, 2 * (mesh.nr - 1)) * h / 2,
          std::max(0, 2 * iz - 1) * h / 2, std::min(2 * iz + 1, 2 * (mesh.nz - 1)) * h / 2};
}

// One row of the flux balance Σ G (φ0 − φn) = ρV/ε0 over the node's cell. Each face's
// conductance G is shared by the two nodes it joins, so the matrix is symmetric. An arm that
// meets an electrode surface at θh carries the flux G (φ0 − φΓ)/θ: the neighbour's value is
// extrapolated linearly through the node and the surface, which keeps the potential second
// order at curved and slanted surfaces.
void assembleRow(const ClassifiedMesh& mesh, FieldOperator& op, int ir, int iz, const ArmEnd* ends,
                 const bool* inside, std::vector<std::pair<int, double>>& entries,
                 char& touchesKnown) {
  const int row = op.unknownOf[mesh.node(ir, iz)];
  const Cell cell = cellOf(mesh, ir, iz);
  const double h = mesh.cell_m;
  double diagonal = 0;
  touchesKnown = 0;
  for (int arm = 0; arm < 4; ++arm) {
    if (!inside[arm]) continue;  // the axis or an open edge: no flux
    const ArmEnd& end = ends[arm];
    const bool whole = end.unknown >= 0 || end.len_m == h;
    double g = cell.rArea_m2() / end.len_m;
    if (arm == kRPlus || arm == kRMinus) {
      // A radial arm cut short carries its flux at the radius halfway to the surface.
      const int side = arm == kRPlus ? 1 : -1;
      const double radius = whole ? (2 * ir + side) * h / 2 : ir * h + side * end.len_m / 2;
      g = radius * cell.zLength_m() / end.len_m;
    }
    diagonal += g;
    if (end.unknown >= 0) {
      entries.emplace_back(end.unknown, -g);
    } else {
      op.knownRhs[row] += g * end.value_V;
      touchesKnown = 1;
    }
  }
  entries.emplace_back(row, diagonal);
  // The charge counted is that of the cell cut short at the surfaces, which keeps the balance
  // exact for a potential quadratic in r.
  auto reach = [&](Arm arm) { return inside[arm] ? ends[arm].len_m / 2 : 0.0; };
  const Cell cut{ir * h - reach(kRMinus), ir * h + reach(kRPlus), iz * h - reach(kZMinus),
                 iz * h + reach(kZPlus)};
  op.chargeWeight[static_cast<std::size_t>(row)] = cut.volume_m3() / kVacuumPermittivity_F_per_m;
}

// Every unknown must reach a known potential through the operator's couplings; otherwise its
// level is arbitrary and the factorization would break down on it.
bool checkDetermined(const ClassifiedMesh& mesh, const FieldOperator& op,
                     const std::vector<char>& touchesKnown, std::string& error) {
  const int count = static_cast<int>(op.matrix.rows());
  std::vector<char> reached(static_cast<std::size_t>(count), 0);
  std::deque<int> queue;
  for (int u = 0; u < count; ++u)
    if (touchesKnown[static_cast<std::size_t>(u)]) {
      reached[static_cast<std::size_t>(u)] = 1;
      queue.push_back(u);
    }
  while (!queue.empty()) {
    const int u = queue.front();
    queue.pop_front();
    for (Eigen::SparseMatrix<double>::InnerIterator it(op.matrix, u); it; ++it) {
      const auto v = static_cast<std::size_t>(it.row());
      if (!reached[v]) {
        reached[v] = 1;
        queue.push_back(static_cast<int>(v));
      }
    }
  }
  for (std::size_t node = 0; node < op.unknownOf.size(); ++node) {
    const int u = op.unknownOf[node];
    if (u >= 0 && !reached[static_cast<std::size_t>(u)]) {
      const int ir = static_cast<int>(node % static_cast<std::size_t>(mesh.nr));
      const int iz = static_cast<int>(node / static_cast<std::size_t>(mesh.nr));
      error = "no electrode or held edge fixes the potential of the free region" + at(ir, iz);
      return false;
    }
  }
  return true;
}

}  // namespace

bool assembleFieldOperator(const ClassifiedMesh& mesh, FieldOperator& op, std::string& error) {
  error.clear();
  if (!checkShape(mesh, error) || !classifyNodes(mesh, op, error)) return false;
  int count = 0;
  for (int u : op.unknownOf) count += u >= 0 ? 1 : 0;
  op.knownRhs = Eigen::VectorXd::Zero(count);
  op.chargeWeight.assign(static_cast<std::size_t>(count), 0.0);
  // Rows come in unknown order and the matrix is symmetric, so each row is also the next
  // column and goes straight into the compressed store.
  op.matrix.resize(count, count);
  op.matrix.reserve(static_cast<Eigen::Index>(count) * 5);
  std::vector<std::pair<int, double>> entries;
  std::vector<char> touchesKnown(static_cast<std::size_t>(count), 0);
  for (int iz = 0; iz < mesh.nz; ++iz)
    for (int ir = 0; ir < mesh.nr; ++ir) {
      const int u = op.unknownOf[mesh.node(ir, iz)];
      if (u < 0) continue;
      ArmEnd ends[4];
      bool inside[4];
      for (int arm = 0; arm < 4; ++arm) {
        inside[arm] = armEnd(mesh, op, ir, iz, static_cast<Arm>(arm), ends[arm], error);
        if (!error.empty()) return false;
      }
      entries.clear();
      assembleRow(mesh, op, ir, iz, ends, inside, entries, touchesKnown[static_cast<std::size_t>(u)]);
      std::sort(entries.begin(), entries.end());
      op.matrix.startVec(u);
      for (const auto& [index, value] : entries) op.matrix.insertBack(index, u) = value;
    }
  op.matrix.finalize();
  return checkDetermined(mesh, op, touchesKnown, error);
}

}  // namespace kelm::solver
