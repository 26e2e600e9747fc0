// The mesh builder against shapes whose crossings with the mesh lines have closed forms: each
// node's class and each free node's arm fractions, compared node by node.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "source/solver/geometry/gun_description.h"
#include "source/solver/geometry/mesh_builder.h"

namespace kelm::solver {
namespace {

// A reference shape on a mesh of 1 mm cells, so that millimetres are cells: where it meets the
// line z = c (positions in r) or r = c (positions in z), and whether a point lies inside it.
struct Reference {
  std::function<std::vector<double>(double c, bool alongZ)> crossings;
  std::function<bool(double r, double z)> inside;
};

Reference circle(double r0, double z0, double radius) {
  return {[=](double c, bool alongZ) {
            const double d = c - (alongZ ? r0 : z0);
            if (std::fabs(d) > radius) return std::vector<double>{};
            const double s = std::sqrt(radius * radius - d * d), mid = alongZ ? z0 : r0;
            return std::vector<double>{mid - s, mid + s};
          },
          [=](double r, double z) { return (r - r0) * (r - r0) + (z - z0) * (z - z0) < radius * radius; }};
}

// The straight segments between consecutive corners; closed shapes also fill their inside.
Reference polygon(std::vector<std::pair<double, double>> corners, bool closed) {
  auto crossings = [=](double c, bool alongZ) {
    std::vector<double> found;
    for (std::size_t k = 0; k + 1 < corners.size(); ++k) {
      const auto [r1, z1] = corners[k];
      const auto [r2, z2] = corners[k + 1];
      const double f1 = alongZ ? r1 : z1, f2 = alongZ ? r2 : z2, g1 = alongZ ? z1 : r1, g2 = alongZ ? z2 : r2;
      if (f1 == f2 || c < std::min(f1, f2) || c > std::max(f1, f2)) continue;
      found.push_back(g1 + (c - f1) * (g2 - g1) / (f2 - f1));
    }
    return found;
  };
  auto inside = [=](double r, double z) {
    if (!closed) return false;
    bool in = false;  // even-odd rule along +r
    for (std::size_t k = 0; k + 1 < corners.size(); ++k) {
      const auto [r1, z1] = corners[k];
      const auto [r2, z2] = corners[k + 1];
      if ((z1 > z) != (z2 > z) && r < r1 + (z - z1) * (r2 - r1) / (z2 - z1)) in = !in;
    }
    return in;
  };
  return {crossings, inside};
}

ClassifiedMesh built(const std::string& electrodes) {
  GunDescription gun;
  Diagnostic error;
  EXPECT_TRUE(parseGunDescription("mesh r 10 z 12 cell 1\n" + electrodes, gun, error)) << error.message;
  ClassifiedMesh mesh;
  EXPECT_TRUE(buildMesh(gun, mesh, error)) << error.message;
  return mesh;
}

// The nearest crossing on each arm of a node, as the reference gives it: 1 when none.
float expectedArm(const Reference& shape, int ir, int iz, int arm) {
  const bool alongZ = arm >= kZPlus;
  const double at = alongZ ? iz : ir, sign = (arm == kRPlus || arm == kZPlus) ? 1 : -1;
  double best = 1;
  for (double c : shape.crossings(alongZ ? ir : iz, alongZ)) {
    const double distance = sign * (c - at);
    if (distance > 0 && distance < best) best = distance;
  }
  return static_cast<float>(best);
}

TEST(MeshBuilder, ClassesAndArmsMatchClosedForms) {
  const struct {
    const char* name;
    std::string text;
    Reference shape;
  } cases[] = {
      {"circle of two half arcs", "electrode ring 100\nfrom 5 2.7\narc 5 7.3 radius 2.3 ccw\narc 5 2.7 radius 2.3 ccw\nclose\nend\n",
       circle(5, 5, 2.3)},
      {"circle round the other way", "electrode ring 100\nfrom 4.4 5.9\narc 4.4 9.3 radius 1.7 cw\narc 4.4 5.9 radius 1.7 cw\nclose\nend\n",
       circle(4.4, 7.6, 1.7)},
      {"slanted open sheet", "electrode sheet 100\nfrom 0.5 1.2\nline 8.7 9.1\nend\n", polygon({{0.5, 1.2}, {8.7, 9.1}}, false)},
      {"slanted closed triangle", "electrode wedge 100\nfrom 1.2 1.1\nline 8.3 2.6\nline 3.1 9.7\nclose\nend\n",
       polygon({{1.2, 1.1}, {8.3, 2.6}, {3.1, 9.7}, {1.2, 1.1}}, true)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ClassifiedMesh mesh = built(c.text);
    ASSERT_EQ(mesh.nr, 11);
    ASSERT_EQ(mesh.nz, 13);
    for (int iz = 0; iz < mesh.nz; ++iz) {
      for (int ir = 0; ir < mesh.nr; ++ir) {
        const std::size_t n = mesh.node(ir, iz);
        const bool inside = c.shape.inside(ir, iz);
        ASSERT_EQ(mesh.electrodeAt[n], inside ? 0 : ClassifiedMesh::kFree) << "node " << ir << "," << iz;
        if (inside) continue;
        for (int arm = 0; arm < 4; ++arm) {
          const float expected = expectedArm(c.shape, ir, iz, arm);
          EXPECT_NEAR(mesh.armFraction[n][static_cast<std::size_t>(arm)], expected, 1e-6) << "node " << ir << "," << iz << " arm " << arm;
          EXPECT_EQ(mesh.armElectrode[n][static_cast<std::size_t>(arm)], expected < 1 ? 0 : ClassifiedMesh::kFree)
              << "node " << ir << "," << iz << " arm " << arm;
        }
      }
    }
  }
}

TEST(MeshBuilder, SurfacesThroughNodesHoldThem) {
  // A sheet along the mesh line r = 2 and a plate whose face runs along z = 8.
  const ClassifiedMesh mesh = built("electrode rod 5\nfrom 2 0\nline 2 5\nend\n"
                                    "electrode plate -5\nfrom 6 8\nline 10 8\nline 10 9\nline 6 9\nclose\nend\n");
  for (int iz = 0; iz <= 5; ++iz) EXPECT_EQ(mesh.electrodeAt[mesh.node(2, iz)], 0) << iz;
  EXPECT_EQ(mesh.electrodeAt[mesh.node(2, 6)], ClassifiedMesh::kFree);
  EXPECT_EQ(mesh.armFraction[mesh.node(2, 6)][kZMinus], 1.0f);
  EXPECT_EQ(mesh.armElectrode[mesh.node(2, 6)][kZMinus], 0);
  EXPECT_EQ(mesh.armElectrode[mesh.node(1, 3)][kRPlus], 0);
  for (int ir = 6; ir <= 10; ++ir)
    for (int iz = 8; iz <= 9; ++iz) EXPECT_EQ(mesh.electrodeAt[mesh.node(ir, iz)], 1) << ir << "," << iz;
  EXPECT_EQ(mesh.armElectrode[mesh.node(5, 8)][kRPlus], 1);
  EXPECT_EQ(mesh.armElectrode[mesh.node(7, 7)][kZPlus], 1);
  EXPECT_EQ(mesh.electrodePotential_V, (std::vector<double>{5, -5}));
}

// An electrode on a held edge of its own potential is taken; one on an edge held at another,
// or overlapping an electrode of another potential, is refused.
TEST(MeshBuilder, ConflictingPotentialsAreRefused) {
  const std::string anode = "electrode anode 10000\nfrom 3 8\nline 10 8\nline 10 12\nend\n";
  const std::string square = "from 1 1\nline 5 1\nline 5 5\nline 1 5\nclose\nend\n";
  const std::pair<std::string, const char*> cases[] = {
      {"edge rmax held 10000\nedge zmin held 0\n" + anode, ""},
      {"edge zmax held 0\n" + anode, "geom.cod:3:1: electrode 'anode' at 10000 V meets edge zmax, held at 0 V"},
      {"electrode a 0\n" + square + "electrode b 0\n" + square + "electrode c 7\nfrom 4.5 4.5\nline 8 4.5\nline 8 8\nclose\nend\n",
       "geom.cod:16:1: electrodes 'a' and 'c' at different potentials overlap at r 5 mm, z 5 mm"},
  };
  for (const auto& [text, says] : cases) {
    GunDescription gun;
    Diagnostic error;
    ClassifiedMesh mesh;
    ASSERT_TRUE(parseGunDescription("mesh r 10 z 12 cell 1\n" + text, gun, error)) << text;
    EXPECT_EQ(buildMesh(gun, mesh, error), *says == 0) << text;
    if (*says) {
      EXPECT_EQ(formatDiagnostic("geom.cod", error), says);
    }
  }
}

}  // namespace
}  // namespace kelm::solver
