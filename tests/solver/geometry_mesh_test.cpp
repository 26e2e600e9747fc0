// The mesh builder against shapes whose crossings with the mesh lines have closed forms: each
// node's class and each free node's arm fractions, compared node by node. geom.dat as the Beam
// view reads it back: the outline within 0.05 cells of the arcs and lines described, and a
// description too detailed for the file refused by name.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "source/klplot/project/project_data.h"
#include "source/klplot/project/project_readers.h"
#include "source/solver/geometry/geometry_file.h"
#include "source/solver/geometry/gun_description.h"
#include "source/solver/geometry/mesh_builder.h"
#include "source/solver/geometry/outline_layout.h"
#include "tests/records/recording_port.h"
#include "tests/records/temp_directory.h"

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

TEST(Outline, ArcsAndLinesComeBackWithinATwentiethOfACell) {
  // Concave cathode, a small and a large ring and a slanted plate, on a cell whose scale
  // takes all four decimals.
  const char* text =
      "mesh r 20 z 40 cell 0.3\n"
      "electrode cathode 0\nfrom 0 4\narc 6 6 radius 10 cw emitting\nline 6 0\nline 0 0\nclose\nend\n"
      "electrode tiny 10\nfrom 3 20\narc 3 20.16 radius 0.08 ccw\narc 3 20 radius 0.08 ccw\nclose\nend\n"
      "electrode ring 500\nfrom 10 15\narc 10 33 radius 9 ccw\narc 10 15 radius 9 ccw\nclose\nend\n"
      "electrode plate 1000\nfrom 20 30.05\nline 2.7 31.3\nend\n";
  GunDescription gun;
  Diagnostic error;
  ASSERT_TRUE(parseGunDescription(text, gun, error)) << formatDiagnostic("geom.cod", error);
  std::vector<OutlinePoint> points;
  std::string why;
  ASSERT_TRUE(layOutOutline(gun, points, why)) << why;
  kelm::testing::TempDirectory dir;
  kelm::testing::RecordingPort port;
  kelm::testing::TempDirectory::writeFile("geom.dat", geometryFileText(gun.mesh, points));
  klplot::resetOutlineForLoad(klplot::projectData);
  klplot::loadGeometry(klplot::projectData);
  EXPECT_EQ(port.lines, std::vector<std::string>{" File GEOM.DAT loaded"});
  const klplot::ProjectData& d = klplot::projectData;
  ASSERT_EQ(d.geomSegCount, 1);
  const double tolerance = 0.05 * gun.mesh.cell_mm;
  // Each electrode's points and the middles of its chords lie on one of its segments.
  auto distanceTo = [](const OutlineSegment& s, double r, double z) {
    if (s.kind == OutlineSegment::Kind::kArc) {
      // Only the part of the circle the arc covers: the point's angle must fall in its sweep.
      const double fromCentre = std::hypot(r - s.centre.r, z - s.centre.z);
      const double cross = (s.to.z - s.from.z) * (r - s.from.r) - (s.to.r - s.from.r) * (z - s.from.z);
      const bool sameSideAsArc = s.ccw ? cross <= 1e-9 : cross >= -1e-9;
      return sameSideAsArc ? std::fabs(fromCentre - s.radius_mm) : 1e9;
    }
    const double lr = s.to.r - s.from.r, lz = s.to.z - s.from.z;
    const double t = std::clamp(((r - s.from.r) * lr + (z - s.from.z) * lz) / (lr * lr + lz * lz), 0.0, 1.0);
    return std::hypot(r - s.from.r - t * lr, z - s.from.z - t * lz);
  };
  std::vector<int> seen(gun.electrodes.size());
  const int first = d.geomSegFirst(1);
  for (int n = first; n <= d.geomSegLast(1); ++n) {
    const int code = d.geomCode(n);
    if (code == 0) continue;
    ASSERT_GE(code, 1);
    ASSERT_LE(code, static_cast<int>(gun.electrodes.size()));
    ++seen[static_cast<std::size_t>(code - 1)];
    const auto& segments = gun.electrodes[static_cast<std::size_t>(code - 1)].segments;
    auto nearest = [&](double r, double z) {
      double best = 1e9;
      for (const auto& s : segments) best = std::min(best, distanceTo(s, r, z));
      return best;
    };
    EXPECT_LE(nearest(d.geomR(n), d.geomZ(n)), tolerance) << "point " << n - first + 1 << " of electrode " << code;
    if (n > first && d.geomCode(n - 1) == code) {
      EXPECT_LE(nearest(0.5 * (d.geomR(n) + d.geomR(n - 1)), 0.5 * (d.geomZ(n) + d.geomZ(n - 1))), tolerance)
          << "chord to point " << n - first + 1 << " of electrode " << code;
    }
  }
  for (std::size_t e = 0; e < seen.size(); ++e) EXPECT_GE(seen[e], 3) << gun.electrodes[e].name;
}

TEST(Outline, MoreThanTheFileHoldsIsRefusedByName) {
  // 51 large circles need about 400 points each.
  std::string text = "mesh r 15 z 15 cell 0.011\n";
  for (int e = 0; e < 51; ++e)
    text += "electrode c" + std::to_string(e) + " 0\nfrom 7.5 0.5\narc 7.5 14.5 radius 7 ccw\narc 7.5 0.5 radius 7 ccw\nclose\nend\n";
  GunDescription gun;
  Diagnostic error;
  ASSERT_TRUE(parseGunDescription(text, gun, error)) << formatDiagnostic("geom.cod", error);
  std::vector<OutlinePoint> points;
  std::string why;
  EXPECT_FALSE(layOutOutline(gun, points, why));
  EXPECT_EQ(why, "outline points: the electrodes need more than 20000 points, the most geom.dat holds; a coarser cell or fewer arcs need fewer");
  gun.electrodes.resize(45);
  EXPECT_TRUE(layOutOutline(gun, points, why));
  EXPECT_LE(points.size(), 20000u);
}

}  // namespace
}  // namespace kelm::solver
