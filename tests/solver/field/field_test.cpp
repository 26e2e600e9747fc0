// The field library. The solver held to closed-form potentials, and to clear refusals of meshes
// it cannot solve; its elimination order. Its files: equipotentials traced over a known field,
// written as pot.dat and read back by the display's own reader; potmap.dat written and read back
// bit for bit, and damaged or hostile files refused whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "records/units.h"
#include "source/klplot/project/project_data.h"
#include "source/klplot/project/project_readers.h"
#include "source/solver/field/contour_tracing.h"
#include "source/solver/field/equipotentials.h"
#include "source/solver/field/field_solver.h"
#include "source/solver/field/library_turn.h"
#include "source/solver/field/nested_dissection.h"
#include "source/solver/field/potential_map.h"
#include "source/solver/physical_constants.h"
#include "tests/records/recording_port.h"
#include "tests/records/temp_directory.h"
#include "tests/solver/field/analytic_mesh.h"
#include "tests/views/program_thread.h"

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

constexpr double kH = 1e-4;
constexpr double kA = 11.3 * kH, kB = 27.6 * kH, kCentre = 30 * kH;
constexpr testing::ConcentricSpheres kContourSpheres{kA, kB, kCentre, kV0};

// The sphere pair with the exact potential on its free nodes; the electrode nodes carry a
// wild value, which the tracer must never look at.
struct SphereField {
  ClassifiedMesh mesh = kContourSpheres.mesh(32, 61, kH);
  std::vector<double> phi = testing::nodeValues(mesh, [](double r, double z) { return kContourSpheres.potential(r, z); });
  SphereField() {
    for (std::size_t n = 0; n < phi.size(); ++n)
      if (mesh.electrodeAt[n] != ClassifiedMesh::kFree) phi[n] = -1e6;
  }
};

// Each default level is one line from axis to axis around the inner sphere, every point where
// the exact potential has that level to within 0.05 cells, none inside an electrode.
TEST(Equipotentials, DefaultLevelsAroundSpheresLieOnTheExactSurfaces) {
  const SphereField f;
  const std::vector<double> levels = defaultEquipotentialLevels(f.mesh);
  ASSERT_EQ(levels.size(), 10u);
  EXPECT_NEAR(levels.front(), kV0 / 11, 1e-9);
  for (double level : levels) {
    SCOPED_TRACE(level);
    const std::vector<ContourLine> lines = traceContours(f.mesh, f.phi, level);
    ASSERT_EQ(lines.size(), 1u);
    const ContourLine& line = lines[0];
    EXPECT_EQ(line.front().r, 0.0);
    EXPECT_EQ(line.back().r, 0.0);
    // The exact surface of this level: a sphere of radius ρ.
    const double rho = 1 / (level / kV0 * (1 / kA - 1 / kB) + 1 / kB);
    for (const ContourPoint& p : line)
      EXPECT_NEAR(std::hypot(p.r * kH, p.z * kH - kCentre), rho, 0.05 * kH) << p.r << " " << p.z;
  }
}

// Held edges widen the default range as electrodes do; one potential everywhere gives none.
TEST(Equipotentials, DefaultLevelsSpanElectrodesAndHeldEdges) {
  ClassifiedMesh mesh = testing::quadricMesh(4, 4, kH, {-500.0}, {});
  EXPECT_TRUE(defaultEquipotentialLevels(mesh).empty());
  mesh.zMaxEdge = {true, 600.0};
  const std::vector<double> levels = defaultEquipotentialLevels(mesh);
  ASSERT_EQ(levels.size(), 10u);
  EXPECT_DOUBLE_EQ(levels.front(), -400.0);
  EXPECT_DOUBLE_EQ(levels.back(), 500.0);
}

class PotentialFile : public ::testing::Test {
 protected:
  kelm::testing::TempDirectory dir;
  kelm::testing::RecordingPort port;
};

// What the display loads is what was traced, in mm at its mesh scale.
TEST_F(PotentialFile, ReadBackByTheDisplay) {
  const SphereField f;
  const std::vector<double> levels = {100.0, 500.0, 900.0};
  std::string error;
  ASSERT_TRUE(writeEquipotentials("pot.dat", f.mesh, f.phi, levels, error)) << error;
  klplot::projectData.meshScale = 10.0f;
  klplot::loadFieldFiles(klplot::projectData);
  EXPECT_EQ(port.lines.back(), " File POT.DAT loaded");
  const klplot::ProjectData& d = klplot::projectData;
  ASSERT_EQ(d.potLineCount, 3);
  for (int k = 1; k <= 3; ++k) {
    SCOPED_TRACE(k);
    EXPECT_FLOAT_EQ(d.potValue(k), static_cast<float>(levels[static_cast<std::size_t>(k - 1)]));
    const ContourLine traced = traceContours(f.mesh, f.phi, levels[static_cast<std::size_t>(k - 1)])[0];
    ASSERT_EQ(d.potPointCount(k), static_cast<int>(traced.size()));
    for (int i = 0; i < d.potPointCount(k); ++i) {
      EXPECT_NEAR(d.potZ(d.potFirst(k) + i), traced[static_cast<std::size_t>(i)].z / 10, 1e-4);
      EXPECT_NEAR(d.potR(d.potFirst(k) + i), traced[static_cast<std::size_t>(i)].r / 10, 1e-4);
    }
  }
}

struct Crowded {
  const char* name;
  int nr, nz;
  double (*phi)(double r, double z);  // in cells
  std::vector<double> levels;
  int lines;      // as read back
  int minPoints;  // in all, as read back; never above 30000
  bool spansMesh; // each line runs from r = 0 to the last node
};

const Crowded kCrowded[] = {
    // 400 bumps, each ringed at two levels: the 100 longest lines are kept.
    {"ManyRings", 200, 200, [](double r, double z) { return std::sin(r * M_PI / 5) * std::sin(z * M_PI / 5); },
     {0.3, 0.6}, 100, 1000, false},
    // 49 straight lines of 2000 points: every line kept, thinned to fit.
    {"LongLines", 2000, 50, [](double, double z) { return z; }, {}, 49, 15000, true},
};

TEST_F(PotentialFile, CrowdedFieldsStayWithinTheReadersLimits) {
  for (const Crowded& c : kCrowded) {
    SCOPED_TRACE(c.name);
    const ClassifiedMesh mesh = testing::quadricMesh(c.nr, c.nz, kH, {0.0, 1.0}, {});
    const std::vector<double> phi = testing::nodeValues(mesh, [&](double r, double z) { return c.phi(r / kH, z / kH); });
    std::vector<double> levels = c.levels;
    if (levels.empty())
      for (int k = 0; k < c.lines; ++k) levels.push_back(k + 0.5);
    std::string error;
    ASSERT_TRUE(writeEquipotentials("pot.dat", mesh, phi, levels, error)) << error;
    klplot::projectData.meshScale = 1.0f;
    klplot::loadFieldFiles(klplot::projectData);
    EXPECT_EQ(port.lines.back(), " File POT.DAT loaded");
    const klplot::ProjectData& d = klplot::projectData;
    ASSERT_EQ(d.potLineCount, c.lines);
    const int points = d.potFirst(c.lines + 1) - 1;
    EXPECT_LE(points, 30000);
    EXPECT_GE(points, c.minPoints);
    // Thinning keeps each line's ends.
    for (int k = 1; c.spansMesh && k <= c.lines; ++k) {
      const float a = d.potR(d.potFirst(k)), b = d.potR(d.potFirst(k) + d.potPointCount(k) - 1);
      EXPECT_EQ(std::min(a, b), 0.0f);
      EXPECT_EQ(std::max(a, b), float(c.nr - 1));
    }
  }
}

// Unusable input writes nothing and says why; an existing pot.dat stays as it was.
TEST_F(PotentialFile, RefusalsLeaveTheOldFile) {
  const SphereField f;
  kelm::testing::TempDirectory::writeFile("pot.dat", "old");
  const struct {
    const char* name;
    std::vector<double> phi;
    std::vector<double> levels;
    const char* message;
  } cases[] = {
      {"ShortPotential", std::vector<double>(5, 0.0), {1.0}, "does not match the mesh"},
      {"NanLevel", f.phi, {std::nan("")}, "level is out of range"},
      {"HugeLevel", f.phi, {1e12}, "level is out of range"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string error;
    EXPECT_FALSE(writeEquipotentials("pot.dat", f.mesh, c.phi, c.levels, error));
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    EXPECT_EQ(kelm::testing::TempDirectory::readFile("pot.dat"), "old");
  }
  std::string error;
  EXPECT_FALSE(writeEquipotentials("missing/pot.dat", f.mesh, f.phi, std::vector<double>{1.0}, error));
  EXPECT_FALSE(error.empty());
}

// The layout's checksum, computed here from its definition (FNV-1a, 64 bits).
void rehash(std::string& bytes) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (std::size_t k = 0; k + 8 < bytes.size(); ++k) {
    hash ^= static_cast<unsigned char>(bytes[k]);
    hash *= 0x100000001b3ULL;
  }
  for (std::size_t k = 0; k < 8; ++k) bytes[bytes.size() - 8 + k] = static_cast<char>((hash >> (8 * k)) & 0xff);
}

// The file with `size` bytes at `at` set to the little-endian `value`, its checksum made good.
std::function<void(std::string&)> patched(std::size_t at, std::uint64_t value, std::size_t size) {
  return [=](std::string& bytes) {
    for (std::size_t k = 0; k < size; ++k) bytes[at + k] = static_cast<char>((value >> (8 * k)) & 0xff);
    rehash(bytes);
  };
}

std::uint64_t bits(double value) { return std::bit_cast<std::uint64_t>(value); }

class PotentialMapFile : public ::testing::Test {
 protected:
  void SetUp() override {
    mesh = testing::quadricMesh(7, 9, 2.5e-5, {-3.0}, {{0, 0, 1, 0, 4e-5, true, 0}});
    // Values no short decimal text would carry exactly.
    for (std::size_t k = 0; k < mesh.nodeCount(); ++k) phi.push_back(0.1 * double(k) - 1e-300 * double(k));
    std::string error;
    ASSERT_TRUE(writePotentialMap("potmap.dat", mesh, phi, error)) << error;
    good = kelm::testing::TempDirectory::readFile("potmap.dat");
  }
  kelm::testing::TempDirectory dir;
  ClassifiedMesh mesh;
  std::vector<double> phi;
  std::string good;
};

TEST_F(PotentialMapFile, ReadsBackExactly) {
  PotentialMap map;
  std::string error;
  ASSERT_TRUE(readPotentialMap("potmap.dat", map, error)) << error;
  EXPECT_EQ(map.nr, 7);
  EXPECT_EQ(map.nz, 9);
  EXPECT_EQ(map.cell_m, 2.5e-5);
  EXPECT_EQ(map.potential_V, phi);
  EXPECT_EQ(good.size(), 28 + 8 * 63 + 8u);
}

struct Damage {
  const char* name;
  std::function<void(std::string&)> apply;
  const char* message;
};

const Damage kDamages[] = {
    {"Empty", [](std::string& b) { b.clear(); }, "too short"},
    {"Truncated", [](std::string& b) { b.resize(b.size() - 1); }, "wrong length"},
    {"TrailingByte", [](std::string& b) { b += '\0'; }, "wrong length"},
    {"FlippedBit", [](std::string& b) { b[100] ^= 1; }, "checksum"},
    {"OtherFile", [](std::string& b) { b[0] = 'X'; }, "not a KELM potential map"},
    {"NewerVersion", patched(8, 2, 4), "unknown version"},
    // A header that claims two billion nodes is refused before anything is allocated.
    {"HugeMesh", patched(12, 0x7fffffff, 4), "mesh size"},
    {"NegativeMesh", patched(16, 0xfffffff0, 4), "mesh size"},
    {"ZeroCell", patched(20, 0, 8), "cell size"},
    {"NanPotential", patched(28 + 8 * 5, bits(std::nan("")), 8), "not a number"},
    {"SignallingNanPotential", patched(28 + 8 * 7, 0x7ff4000000000000ULL, 8), "not a number"},
    {"SignallingNanCell", patched(20, 0xfff6000000000000ULL, 8), "cell size"},
    // Finite, but beyond what the solver writes: kelm-export's sums on them would overflow.
    {"HugeCell", patched(20, bits(1e300), 8), "cell size"},
    {"TinyCell", patched(20, bits(1e-300), 8), "cell size"},
};

// Each damaged file is refused with the file's name and why, and the map keeps what it held;
// with the program thread's floating-point traps on, as KELM reads it.
TEST_F(PotentialMapFile, DamagedFilesAreRefusedWhole) {
  for (const Damage& d : kDamages) {
    SCOPED_TRACE(d.name);
    std::string bytes = good;
    d.apply(bytes);
    kelm::testing::TempDirectory::writeFile("potmap.dat", bytes);
    PotentialMap map{1, 1, 1.0, {42.0}};
    std::string error;
    bool read = true;
    kelm::testing::onProgramThread([&] { read = readPotentialMap("potmap.dat", map, error); });
    EXPECT_FALSE(read);
    EXPECT_NE(error.find("File POTMAP.DAT damaged"), std::string::npos) << error;
    EXPECT_NE(error.find(d.message), std::string::npos) << error;
    EXPECT_EQ(map.potential_V, std::vector<double>{42.0});
  }
}

TEST_F(PotentialMapFile, MissingFilesAndUnwritableMaps) {
  std::filesystem::create_directory("dir.dat");
  PotentialMap map;
  std::string error;
  for (const char* name : {"absent.dat", "dir.dat"}) {
    EXPECT_FALSE(readPotentialMap(name, map, error));
    EXPECT_NE(error.find(" not found"), std::string::npos) << error;
  }
  std::vector<double> bad = phi;
  for (const double value : {std::nan(""), 2e9}) {
    bad[3] = value;
    EXPECT_FALSE(writePotentialMap("potmap.dat", mesh, bad, error)) << value;
  }
  EXPECT_FALSE(writePotentialMap("potmap.dat", mesh, std::vector<double>(3, 0.0), error));
  EXPECT_EQ(kelm::testing::TempDirectory::readFile("potmap.dat"), good);
}

}  // namespace
}  // namespace kelm::solver
