// The field solver held to closed-form potentials, and to clear refusals of meshes it cannot
// solve; its elimination order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <thread>

#include "source/solver/field/field_solver.h"
#include "source/solver/field/library_turn.h"
#include "source/solver/field/nested_dissection.h"
#include "source/solver/physical_constants.h"
#include "tests/solver/field/analytic_mesh.h"

namespace kelm::solver {
namespace {

using testing::quadricMesh;

constexpr double kMm = 1e-3, kInner = 1.1 * kMm, kOuter = 2.9 * kMm, kV0 = 1000.0;
constexpr testing::ConcentricSpheres kSpheres{kInner, kOuter, 3.2 * kMm, kV0};

struct AnalyticCase {
  const char* name;
  // The mesh with `cells` cells across the gap between the two electrodes.
  std::function<ClassifiedMesh(int cells)> mesh;
  std::function<double(double r, double z)> exact_V;
};

const AnalyticCase kAnalyticCases[] = {
    // Inner cylinder at V0, outer at 0, open ends: φ = V0 ln(b/r) / ln(b/a).
    {"CoaxialCylinders",
     [](int cells) {
       const double h = (kOuter - kInner) / cells;
       return quadricMesh(int(kOuter / h) + 3, 6, h, {kV0, 0.0}, {{0, 0, 1, 0, kInner, true, 0}, {0, 0, 1, 0, kOuter, false, 1}});
     },
     [](double r, double) { return kV0 * std::log(kOuter / r) / std::log(kOuter / kInner); }},
    {"ConcentricSpheres",
     [](int cells) {
       const double h = (kOuter - kInner) / cells;
       return kSpheres.mesh(int(kOuter / h) + 3, int(2 * kSpheres.centre_m / h) + 1, h);
     },
     [](double r, double z) { return kSpheres.potential(r, z); }},
};

// The field of a fresh solver on the mesh and charge; empty when either is refused.
std::vector<double> solvedField(const ClassifiedMesh& mesh, const std::vector<double>& charge = {}) {
  FieldSolver solver;
  std::string error;
  EXPECT_TRUE(solver.prepare(mesh, error)) << error;
  std::vector<double> phi;
  solver.solve(charge, phi);
  return phi;
}

double maxFreeNodeError(const ClassifiedMesh& mesh, const std::vector<double>& phi,
                        const std::function<double(double, double)>& exact) {
  double worst = 0;
  for (int iz = 0; iz < mesh.nz; ++iz)
    for (int ir = 0; ir < mesh.nr; ++ir) {
      const std::size_t node = mesh.node(ir, iz);
      if (mesh.electrodeAt[node] != ClassifiedMesh::kFree) continue;
      worst = std::max(worst, std::abs(phi[node] - exact(ir * mesh.cell_m, iz * mesh.cell_m)));
    }
  return worst;
}

// Second order: the largest error falls about fourfold per halving of the cell (at least
// threefold here, since the crossing fractions change with the mesh), and stays under 0.5 %
// of V0 at 20 cells.
TEST(FieldSolver, AnalyticCasesConvergeAtSecondOrder) {
  for (const AnalyticCase& c : kAnalyticCases) {
    SCOPED_TRACE(c.name);
    double errors[3];
    const int cells[3] = {20, 40, 80};
    for (int k = 0; k < 3; ++k) {
      const ClassifiedMesh mesh = c.mesh(cells[k]);
      const std::vector<double> phi = solvedField(mesh);
      ASSERT_EQ(phi.size(), mesh.nodeCount());
      errors[k] = maxFreeNodeError(mesh, phi, c.exact_V);
    }
    EXPECT_LT(errors[0], 5e-3 * kV0);
    EXPECT_GT(errors[0] / errors[1], 3.0) << errors[0] << " " << errors[1];
    EXPECT_GT(errors[1] / errors[2], 3.0) << errors[1] << " " << errors[2];
  }
}

// A uniform space charge inside a cylinder at Vb with open ends: φ = Vb + ρ (b² − r²) / (4ε0).
// The balance is exact for a potential quadratic in r, on the axis, in the bulk and in the cells
// cut by the surface, so only the single-precision crossing fractions' rounding remains (under
// 1e-5 of the axis potential; a slip in the charge of the cut cells would leave about (h/b)² of
// it, a volt here); the same factor then gives the vacuum field back.
TEST(FieldSolver, UniformChargeInACylinderIsExactAndTheFactorIsReused) {
  constexpr double kWall_V = 100.0;
  const double h = 0.1 * kMm;
  const double b = 2.37 * kMm;  // between nodes
  const double rho = 4 * kVacuumPermittivity_F_per_m * 1000.0 / (b * b);  // 1 kV on the axis
  const ClassifiedMesh mesh = quadricMesh(27, 5, h, {kWall_V}, {{0, 0, 1, 0, b, false, 0}});
  FieldSolver solver;
  std::string error;
  ASSERT_TRUE(solver.prepare(mesh, error)) << error;
  std::vector<double> phi;
  solver.solve(std::vector<double>(mesh.nodeCount(), rho), phi);
  ASSERT_EQ(phi.size(), mesh.nodeCount());
  auto exact = [&](double r, double) { return kWall_V + rho * (b * b - r * r) / (4 * kVacuumPermittivity_F_per_m); };
  EXPECT_LT(maxFreeNodeError(mesh, phi, exact), 1e-5 * 1000.0);
  solver.solve({}, phi);
  EXPECT_LT(maxFreeNodeError(mesh, phi, [](double, double) { return kWall_V; }), 1e-9);
}

ClassifiedMesh openBox(int nr, int nz) {
  return quadricMesh(nr, nz, 1e-4, {10.0}, {{0, 0, 1, 0, 0.5 * (nr - 1) * 1e-4, false, 0}});
}

struct RefusedMesh {
  const char* name;
  std::function<void(ClassifiedMesh&)> spoil;
  const char* message;
};

const RefusedMesh kRefusedMeshes[] = {
    {"OneNodeAlongR", [](ClassifiedMesh& m) { m = openBox(1, 5); }, "at least 2 nodes"},
    {"ZeroCell", [](ClassifiedMesh& m) { m.cell_m = 0; }, "cell size"},
    {"NanCell", [](ClassifiedMesh& m) { m.cell_m = std::nan(""); }, "cell size"},
    {"ShortTable", [](ClassifiedMesh& m) { m.armFraction.pop_back(); }, "node tables"},
    {"TooLarge", [](ClassifiedMesh& m) { m.nr = 2000; m.nz = 2000; }, "more than the field solver"},
    {"UnknownElectrode", [](ClassifiedMesh& m) { m.electrodeAt[m.node(8, 2)] = 7; }, "unknown electrode 7 at node (8, 2)"},
    {"CrossingBeyondTheArm",
     [](ClassifiedMesh& m) {
       m.armElectrode[m.node(1, 1)][kZPlus] = 0;
       m.armFraction[m.node(1, 1)][kZPlus] = 1.5f;
     },
     "crossing is out of range at node (1, 1)"},
    {"NanPotential", [](ClassifiedMesh& m) { m.electrodePotential_V[0] = std::nan(""); }, "electrode potential"},
    {"HugeEdgePotential", [](ClassifiedMesh& m) { m.zMinEdge = {true, -1e300}; }, "edge potential"},
    {"NothingFixesTheLevel",
     [](ClassifiedMesh& m) {
       std::fill(m.electrodeAt.begin(), m.electrodeAt.end(), ClassifiedMesh::kFree);
       for (auto& arms : m.armElectrode) arms.fill(ClassifiedMesh::kFree);
     },
     "no electrode or held edge fixes the potential"},
};

// A malformed mesh is refused with a reason, and the solver then gives no potential at all
// rather than a stale or arbitrary one.
TEST(FieldSolver, RefusesMalformedMeshesWithAReason) {
  for (const RefusedMesh& c : kRefusedMeshes) {
    SCOPED_TRACE(c.name);
    ClassifiedMesh mesh = openBox(12, 5);
    FieldSolver solver;
    std::string error;
    ASSERT_TRUE(solver.prepare(mesh, error)) << error;
    c.spoil(mesh);
    EXPECT_FALSE(solver.prepare(mesh, error));
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    std::vector<double> phi{1.0};
    solver.solve({}, phi);
    EXPECT_TRUE(phi.empty());
  }
}

// Held edges keep their potential, and a charge density of the wrong length gives nothing.
TEST(FieldSolver, HeldEdgesAndMismatchedChargeDensity) {
  ClassifiedMesh mesh = openBox(12, 5);
  mesh.zMaxEdge = {true, -50.0};
  std::vector<double> phi = solvedField(mesh);
  ASSERT_EQ(phi.size(), mesh.nodeCount());
  EXPECT_EQ(phi[mesh.node(0, 4)], -50.0);
  EXPECT_GT(phi[mesh.node(0, 3)], -50.0);
  EXPECT_LT(phi[mesh.node(0, 3)], 10.0);
  EXPECT_TRUE(solvedField(mesh, std::vector<double>(3, 1.0)).empty());
}

// Two geometries, each factorized again and again in one process, sequentially and from two
// threads at once (as kelm-solve's workers and a batch would): every field equals the first one.
// Unguarded, the library's shared work buffers made about half of the concurrent ones wrong.
TEST(FieldSolver, RepeatedAndConcurrentFactorizationsAgree) {
  const double h = 1e-4;
  const ClassifiedMesh meshes[2] = {
      quadricMesh(120, 320, h, {-10000.0, 0.0}, {{0, 80 * h, 1, 1, 40 * h, true, 0}, {0, 0, 1, 0, 110.5 * h, false, 1}}),
      quadricMesh(100, 260, h, {500.0, 0.0}, {{0, 130 * h, 1, 1, 30.3 * h, true, 0}, {0, 130 * h, 1, 1, 90.7 * h, false, 1}})};
  auto charged = [&](int g) { return solvedField(meshes[g], std::vector<double>(meshes[g].nodeCount(), -1e-5)); };
  const std::vector<double> first[2] = {charged(0), charged(1)};
  // Run inline, the factor cannot depend on the number of cores.
  EXPECT_GT(LibraryTurn::regionsRunInline(), 0u);
  auto differsFromFirst = [&](int g) {
    const std::vector<double> phi = charged(g);
    if (phi.size() != first[g].size()) return true;
    for (std::size_t k = 0; k < phi.size(); ++k)
      if (!(std::abs(phi[k] - first[g][k]) <= 1e-9 * 10000.0)) return true;
    return false;
  };
  constexpr int kRounds = 8;
  int sequentialFaults = 0;
  for (int round = 0; round < kRounds; ++round) sequentialFaults += differsFromFirst(round % 2);
  EXPECT_EQ(sequentialFaults, 0);
  int concurrentFaults[2] = {0, 0};
  {
    std::jthread workers[2];
    for (int w = 0; w < 2; ++w)
      workers[w] = std::jthread([&, w] {
        for (int round = 0; round < kRounds; ++round) concurrentFaults[w] += differsFromFirst((round + w) % 2);
      });
  }
  EXPECT_EQ(concurrentFaults[0] + concurrentFaults[1], 0);
}

// The elimination order hands the factorization every unknown exactly once, whatever the mesh's
// shape and wherever electrodes hold nodes; a lost or doubled unknown would leave the factor
// singular or the potential of some node unset.
struct Shape {
  const char* name;
  int nr, nz;
  bool held(int ir, int iz) const {
    // A block and a ring of held nodes, so that parts of the mesh are cut off.
    return (ir > nr / 3 && ir < nr / 2 && iz > nz / 4) || (iz == nz / 2 && ir > 2);
  }
};

const Shape kShapes[] = {
    {"OneNode", 1, 1},      {"OneColumn", 1, 37},   {"OneRow", 41, 1},      {"TwoByTwo", 2, 2},
    {"Square", 64, 64},     {"Tall", 13, 301},      {"Wide", 257, 9},       {"GunLike", 120, 360},
};

TEST(NestedDissection, EveryUnknownOnceForEveryShape) {
  for (const Shape& s : kShapes) {
    for (bool withHeld : {false, true}) {
      SCOPED_TRACE(std::string(s.name) + (withHeld ? " with held nodes" : ""));
      std::vector<int> unknownOf(static_cast<std::size_t>(s.nr) * static_cast<std::size_t>(s.nz), -1);
      int count = 0;
      for (int iz = 0; iz < s.nz; ++iz)
        for (int ir = 0; ir < s.nr; ++ir)
          if (!withHeld || !s.held(ir, iz)) unknownOf[static_cast<std::size_t>(iz * s.nr + ir)] = count++;
      const std::vector<int> order = nestedDissectionOrder(s.nr, s.nz, unknownOf);
      ASSERT_EQ(order.size(), static_cast<std::size_t>(count));
      std::vector<int> seen(static_cast<std::size_t>(count), 0);
      for (int u : order) {
        ASSERT_GE(u, 0);
        ASSERT_LT(u, count);
        ++seen[static_cast<std::size_t>(u)];
      }
      for (int times : seen) ASSERT_EQ(times, 1);
    }
  }
}

TEST(NestedDissection, MismatchedTableGivesNoOrder) {
  EXPECT_TRUE(nestedDissectionOrder(4, 4, std::vector<int>(15, 0)).empty());
  EXPECT_TRUE(nestedDissectionOrder(0, 4, {}).empty());
}

}  // namespace
}  // namespace kelm::solver
