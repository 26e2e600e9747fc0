#include "source/solver/field/field_operator.h"

#include <cmath>
#include <cstdint>
#include <deque>

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
    if (!std::isfinite(v)) {
      error = "an electrode potential is not a number";
      return false;
    }
  for (const EdgeCondition* edge : {&mesh.rMaxEdge, &mesh.zMinEdge, &mesh.zMaxEdge})
    if (edge->held && !std::isfinite(edge->potential_V)) {
      error = "an edge potential is not a number";
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

struct RowBuilder {
  std::vector<Eigen::Triplet<double>>& entries;
  Eigen::VectorXd& rhs;
  int row;
  double centre = 0;
  bool touchesKnown = false;

  void add(const ArmEnd& end, double coefficient) {
    if (end.unknown >= 0) {
      entries.emplace_back(row, end.unknown, coefficient);
    } else {
      rhs[row] -= coefficient * end.value_V;
      touchesKnown = true;
    }
  }
};

// Second derivative and (with 1/r) first derivative along one line through the node from the
// ends at +hp and −hm: the Shortley–Weller forms, second order for unequal arms too.
void addLine(RowBuilder& row, const ArmEnd& plus, const ArmEnd& minus, double scale, double r) {
  const double hp = plus.len_m;
  const double hm = minus.len_m;
  double cp = 2.0 / (hp * (hp + hm));
  double cm = 2.0 / (hm * (hp + hm));
  double c0 = -(cp + cm);
  if (r > 0) {
    cp += hm / (hp * (hp + hm)) / r;
    cm -= hp / (hm * (hp + hm)) / r;
    c0 += (hp - hm) / (hp * hm) / r;
  }
  row.add(plus, scale * cp);
  row.add(minus, scale * cm);
  row.centre += scale * c0;
}

bool assembleRow(const ClassifiedMesh& mesh, FieldOperator& op, int ir, int iz,
                 std::vector<Eigen::Triplet<double>>& entries, char& touchesKnown,
                 std::string& error) {
  const int row = op.unknownOf[mesh.node(ir, iz)];
  RowBuilder builder{entries, op.knownRhs, row};
  ArmEnd ends[4];
  bool inside[4];
  for (int arm = 0; arm < 4; ++arm) {
    inside[arm] = armEnd(mesh, op, ir, iz, static_cast<Arm>(arm), ends[arm], error);
    if (!error.empty()) return false;
  }
  const double scale = op.rowScale_m2;
  // An open edge mirrors the opposite arm (zero normal field); the mesh has two nodes at least
  // along each line, so one arm of each pair lies inside.
  if (!inside[kZPlus]) ends[kZPlus] = ends[kZMinus];
  if (!inside[kZMinus]) ends[kZMinus] = ends[kZPlus];
  addLine(builder, ends[kZPlus], ends[kZMinus], scale, 0.0);
  if (ir == 0) {
    // On the axis the radial term is 2∂²φ/∂r², from the symmetric ends at ±hp.
    const double hp = ends[kRPlus].len_m;
    builder.add(ends[kRPlus], scale * 4.0 / (hp * hp));
    builder.centre -= scale * 4.0 / (hp * hp);
  } else {
    if (!inside[kRPlus]) ends[kRPlus] = ends[kRMinus];
    addLine(builder, ends[kRPlus], ends[kRMinus], scale, ir * mesh.cell_m);
  }
  entries.emplace_back(row, row, builder.centre);
  touchesKnown = builder.touchesKnown;
  return true;
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
  op.rowScale_m2 = mesh.cell_m * mesh.cell_m;
  int count = 0;
  for (int u : op.unknownOf) count += u >= 0 ? 1 : 0;
  op.knownRhs = Eigen::VectorXd::Zero(count);
  std::vector<Eigen::Triplet<double>> entries;
  entries.reserve(static_cast<std::size_t>(count) * 5);
  std::vector<char> touchesKnown(static_cast<std::size_t>(count), 0);
  for (int iz = 0; iz < mesh.nz; ++iz)
    for (int ir = 0; ir < mesh.nr; ++ir) {
      const int u = op.unknownOf[mesh.node(ir, iz)];
      if (u < 0) continue;
      if (!assembleRow(mesh, op, ir, iz, entries, touchesKnown[static_cast<std::size_t>(u)], error))
        return false;
    }
  op.matrix.resize(count, count);
  op.matrix.setFromTriplets(entries.begin(), entries.end());
  return checkDetermined(mesh, op, touchesKnown, error);
}

}  // namespace kelm::solver
