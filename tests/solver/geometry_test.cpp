// The solver's geometry. geom.cod and klinput.dat: what a correct text yields, where and why a
// wrong one fails, and every one a document shows read (a shown block is marked by its file's
// name: <pre title="geom.cod"> in the help file, a roff comment ".\" example geom.cod" before .nf
// in a man page, a ```geom.cod fence in Markdown). The mesh builder against shapes whose
// crossings with the mesh lines have closed forms: each node's class and each free node's arm
// fractions, compared node by node. geom.dat as the Beam view reads it back: the outline within
// 0.05 cells of the arcs and lines described, and a description too detailed for the file
// refused by name.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "source/klplot/project/project_data.h"
#include "source/klplot/project/project_readers.h"
#include "source/solver/geometry/geometry_file.h"
#include "source/solver/geometry/gun_description.h"
#include "source/solver/geometry/mesh_builder.h"
#include "source/solver/geometry/outline_layout.h"
#include "source/solver/geometry/solver_input.h"
#include "tests/records/recording_port.h"
#include "tests/records/temp_directory.h"

namespace kelm::solver {
namespace {

constexpr char kMesh[] = "mesh r 10 z 20 cell 0.5\n";

// What geom.cod's reader, or klinput.dat's, says of the text.
std::string failure(const std::string& text, const char* file = "geom.cod") {
  GunDescription gun;
  SolverInput input;
  Diagnostic error;
  const bool gunFile = std::string_view(file) == "geom.cod";
  if (gunFile ? parseGunDescription(text, gun, error) : parseSolverInput(text, input, error)) return "accepted";
  return formatDiagnostic(file, error);
}

TEST(GunDescription, ReadsMeshEdgesElectrodesAndCathode) {
  GunDescription gun;
  Diagnostic error;
  const std::string text =
      "# a gun\nMESH r 20 z 60 cell 0.3   # a cell the scale cannot hold exactly\nedge rmax held 10000\nedge zmax open\n"
      "electrode cathode -50\n  from 0 5\n  arc 6 7 radius 10 cw emitting\n  line 6 0\n  line 0 0\n  close\nend\n"
      "electrode grid 300\n  from 6 10\n  line 12 10\nend\n";
  ASSERT_TRUE(parseGunDescription(text, gun, error)) << formatDiagnostic("geom.cod", error);
  EXPECT_EQ(gun.statements, 14);
  EXPECT_DOUBLE_EQ(gun.mesh.nodesPerMm, 3.3333);
  EXPECT_DOUBLE_EQ(gun.mesh.cell_mm, 1 / 3.3333);
  EXPECT_EQ(gun.mesh.nr, 68);  // 20 mm need 66.67 cells, so the mesh reaches a little beyond
  EXPECT_EQ(gun.mesh.nz, 201);
  EXPECT_TRUE(gun.rMaxEdge.held);
  EXPECT_EQ(gun.rMaxEdge.potential_V, 10000);
  EXPECT_FALSE(gun.zMaxEdge.held);
  EXPECT_FALSE(gun.zMinEdge.held);
  ASSERT_EQ(gun.electrodes.size(), 2u);
  const ElectrodeOutline& cathode = gun.electrodes[0];
  EXPECT_TRUE(cathode.closed);
  ASSERT_EQ(cathode.segments.size(), 4u);  // close adds the way back to the start
  EXPECT_EQ(cathode.segments[3].to.r, 0);
  EXPECT_EQ(cathode.segments[3].to.z, 5);
  // The concave cap: radius 10 through (0, 5) and (4, 5.5), centred on the axis downstream.
  EXPECT_NEAR(cathode.segments[0].centre.r, 0, 1e-12);
  EXPECT_NEAR(cathode.segments[0].centre.z, 15, 1e-12);
  EXPECT_EQ(gun.cathode.shape, CathodeSurface::Shape::kSpherical);
  EXPECT_EQ(gun.cathode.electrode, 0);
  EXPECT_EQ(gun.cathode.segment, 0);
  EXPECT_FALSE(gun.electrodes[1].closed);
  EXPECT_EQ(gun.electrodes[1].potential_V, 300);
  // Node counts give the cell.
  ASSERT_TRUE(parseGunDescription("mesh r 20 z 60 nodes 41 121\nelectrode a 0\nfrom 0 0\nline 20 0\nend\n", gun, error));
  EXPECT_EQ(gun.mesh.nr, 41);
  EXPECT_EQ(gun.mesh.nz, 121);
  EXPECT_DOUBLE_EQ(gun.mesh.cell_mm, 0.5);
  EXPECT_DOUBLE_EQ(gun.mesh.zExtent_mm, 60);
}

TEST(GunDescription, ErrorsAndLimitsNamePlaceAndCause) {
  const std::string electrode = "electrode a 0\nfrom 1 1\n", m = kMesh, me = m + electrode;
  std::string many = m, longOutline = m + "electrode a 0\nfrom 0 0\n";
  for (int e = 0; e <= kMaxElectrodes; ++e) many += "electrode e" + std::to_string(e) + " 0\nfrom 1 1\nline 2 2\nend\n";
  for (int k = 0; k <= kMaxOutlineSegments; ++k) longOutline += k % 2 ? "line 0 0\n" : "line 1 1\n";
  const struct {
    std::string text, expected;
  } cases[] = {
      {"", "geom.cod:1:1: no mesh statement"},
      {kMesh, "geom.cod:2:1: no electrode"},
      {"MESH  NR=41  NZ=121  SCALE=2.0\n", "geom.cod:1:7: expected 'r', found 'NR=41'"},
      {"* old style comment\n", "geom.cod:1:1: unknown statement '*'"},
      {"mesh r 10 z 20\n", "geom.cod:1:15: missing 'cell' or 'nodes'"},
      {"mesh r -1 z 20 cell 1\n", "geom.cod:1:8: radial extent must be positive"},
      {"mesh r 10 z 2o cell 1\n", "geom.cod:1:13: axial extent must be a number, found '2o'"},
      {"mesh r 10 z 20 cell 0.001\n", "geom.cod:1:21: cell size 0.001 mm outside 0.011 mm to 100 mm"},
      {"mesh r 10 z 20 nodes 11 11\n", "geom.cod:1:22: cells must be square: 1 mm along r, 2 mm along z"},
      {"mesh r 10 z 20 nodes 11.5 21\n", "geom.cod:1:22: radial node count must be a whole number"},
      {"mesh r 10 z 20 cell 1 extra\n", "geom.cod:1:23: unexpected 'extra' at the end of the statement"},
      {m + kMesh, "geom.cod:2:1: mesh already given at line 1"},
      {electrode, "geom.cod:1:1: the mesh must be given before the electrodes"},
      {m + "edge rmin open\n", "geom.cod:2:6: expected 'rmax', 'zmin' or 'zmax', found 'rmin'"},
      {m + "edge zmin held\n", "geom.cod:2:15: missing potential"},
      {m + "edge zmin open\nedge zmin open\n", "geom.cod:3:6: edge zmin already given at line 2"},
      {m + "line 1 1\n", "geom.cod:2:1: 'line' outside an electrode"},
      {m + "electrode a 0\nline 1 1\n", "geom.cod:3:1: the outline needs a 'from' point first"},
      {me + "arc 2 2 radius 0 cw\n", "geom.cod:4:16: arc radius must be positive"},
      {me + "arc 3 1 radius 0.5 cw\n", "geom.cod:4:16: arc radius 0.5 mm is less than half the distance between its ends (1 mm)"},
      {me + "arc 3 1 radius 1 left\n", "geom.cod:4:18: expected 'cw' or 'ccw', found 'left'"},
      {m + "electrode a 0\nfrom 0.5 1\narc 0.5 3 radius 1 ccw\n", "geom.cod:4:1: arc leaves the mesh"},
      {me + "line 11 1\n", "geom.cod:4:6: point (11 mm, 1 mm) lies outside the mesh (r 0 to 10 mm, z 0 to 20 mm)"},
      {me + "line 1 1\n", "geom.cod:4:1: segment has zero length"},
      {me + "from 2 2\n", "geom.cod:4:1: the outline already starts at line 3; one 'from' per electrode"},
      {me + "end\n", "geom.cod:4:1: electrode 'a' has no segments"},
      {me + "line 2 2\n", "geom.cod:2:1: electrode 'a' has no 'end'"},
      {me + "line 2 1\nline 2 2\nclose\nline 3 3\n", "geom.cod:7:1: the outline is closed; only 'end' may follow"},
      {me + "line 2 2\nend\nelectrode a 5\n", "geom.cod:6:11: electrode 'a' already described at line 2"},
      {me + "line 2 2 emitting\n", "geom.cod:4:1: a flat cathode runs at constant z"},
      {me + "arc 3 1 radius 1 cw emitting\n", "geom.cod:4:1: a spherical cathode is centred on the axis"},
      {m + "electrode a 0\nfrom 0 5\narc 3 4 radius 5 ccw emitting\n",
       "geom.cod:4:1: a spherical cathode is concave: its centre lies downstream, at larger z"},
      // The documented slip: (6, 6) is not on the sphere through (0, 5); (6, 7) is.
      {"mesh r 20 z 30 cell 1\nelectrode a 0\nfrom 0 5\narc 6 6 radius 10 cw emitting\n",
       "geom.cod:4:1: a spherical cathode is centred on the axis: its end (6 mm, 6 mm) lies 0.816654 mm off the "
       "sphere of radius 10 mm centred on the axis at z = 15 mm, more than 0.001 mm (1e-4 of the radius); at r = 6 mm "
       "the sphere passes z = 7 mm"},
      {"mesh r 20 z 30 cell 1\nelectrode a 0\nfrom 0 5\narc 8 21 radius 10 cw emitting\n",
       "geom.cod:4:1: a spherical cathode reaches at most 90 degrees from the axis: its rim at z = 21 mm lies "
       "downstream of its centre at z = 15 mm"},
      {me + "line 2 1 emitting\nline 3 1 emitting\n", "geom.cod:5:1: only one segment may emit; the cathode is at line 4"},
      {m + "electrode a 1e9\n", "geom.cod:2:13: potential must be at most 1e+08"},
      {m + "electrode a 0\n  from\t1 nan\n", "geom.cod:3:10: z must be a number, found 'nan'"},
      {m + "electrode a 0\x01\n", "geom.cod:2:14: control character in the text"},
      {"mesh r 5001 z 10 cell 1\n", "geom.cod:1:1: mesh size 5002 x 11 nodes exceeds 5000 nodes along r or z"},
      {"mesh r 2000 z 2000 cell 1\n", "geom.cod:1:1: mesh size 2001 x 2001 nodes exceeds 2000000 nodes"},
      {many, "geom.cod:402:1: too many electrodes: at most 100"},
      {longOutline, "geom.cod:2004:1: outline length: electrode 'a' has more than 2000 segments"},
      {m + std::string(1001, ' ') + "\n", "geom.cod:2:1001: line longer than 1000 characters"},
  };
  for (const auto& c : cases) EXPECT_EQ(failure(c.text), c.expected) << c.text.substr(0, 80);
}

TEST(GunDescription, ASphericalRimNearlyOnTheSphereIsMovedOntoIt) {
  // Radius 10 through (0, 5): centred at z = 15, the rim at r = 5 at z = 6.33974596...
  for (const char* outline : {"from 0 5\narc 5 6.3397 radius 10 cw emitting\nline 5 0\n",
                              // From the rim to the axis: the line before must follow the rim.
                              "from 5 0\nline 5 6.3398\narc 0 5 radius 10 ccw emitting\n",
                              "from 0 5\narc 10 15 radius 10 cw emitting\n"}) {  // up to the equator
    GunDescription gun;
    Diagnostic error;
    ASSERT_TRUE(parseGunDescription("mesh r 20 z 30 cell 1\nelectrode a 0\n" + std::string(outline) + "end\n", gun,
                                    error))
        << formatDiagnostic("geom.cod", error);
    const std::vector<OutlineSegment>& s = gun.electrodes[0].segments;
    const OutlineSegment& cap = s[std::size_t(gun.cathode.segment)];
    EXPECT_NEAR(std::hypot(cap.centre.r, cap.centre.z - 15), 0, 1e-12) << outline;
    for (const PointMm& end : {cap.from, cap.to}) EXPECT_NEAR(std::hypot(end.r, end.z - 15), 10, 1e-12) << outline;
    EXPECT_TRUE(s.size() == 1 || s[0].to.z == s[1].from.z) << outline;
  }
}

TEST(SolverInput, ReadsEveryStatement) {
  SolverInput in;
  Diagnostic error;
  ASSERT_TRUE(parseSolverInput("levels 100 -20 5e3  # V\nTrajectories 200\nemission temperature 2.5\nemission layer 0.25\n"
                               "iterations 40\nrelaxation 0.3\ntolerance 1e-4\nsolenoid z 50 length 20 radius 15 turns 12000\n"
                               "output openpmd screens 20 -1.5\ncathode rays 3\nsurface-field limit 8\nemission none\n",
                               in, error))
      << formatDiagnostic("klinput.dat", error);
  EXPECT_EQ(in.levels_V, (std::vector<double>{100, -20, 5000}));
  EXPECT_EQ(in.trajectories, 200);
  EXPECT_FALSE(in.spaceChargeLimited);
  EXPECT_EQ(in.emissionDensity_A_per_cm2, 2.5);
  EXPECT_EQ(in.emissionLayer_mm, 0.25);
  EXPECT_EQ(in.iterations, 40);
  EXPECT_EQ(in.relaxation, 0.3);
  EXPECT_EQ(in.tolerance, 1e-4);
  ASSERT_EQ(in.solenoids.size(), 1u);
  EXPECT_EQ(in.solenoids[0].ampereTurns, 12000);
  EXPECT_TRUE(in.openPMD);
  EXPECT_EQ(in.screens_mm, (std::vector<double>{20, -1.5}));
  EXPECT_EQ(in.thermalNodes, 3);
  EXPECT_EQ(in.surfaceFieldLimit_kV_per_mm, 8);
  EXPECT_FALSE(in.traces);
  EXPECT_EQ(in.statements, 12);
}

TEST(SolverInput, ErrorsNamePlaceAndCause) {
  std::string hundredOne = "levels";
  for (int k = 0; k <= kMaxPotLines; ++k) hundredOne += " " + std::to_string(k);
  const struct {
    std::string text, expected;
  } cases[] = {
      {"levels\n", "klinput.dat:1:7: missing level in V"},
      {"levels 1 2 1\n", "klinput.dat:1:12: level given twice"},
      {hundredOne + "\n", "klinput.dat:1:" + std::to_string(hundredOne.size() - 2) + ": too many levels: at most 100"},
      {"trajectories 1001\n", "klinput.dat:1:14: trajectory count must be at most 1000"},
      {"emission hot\n", "klinput.dat:1:10: expected 'space-charge', 'temperature', 'thermionic', 'layer' or 'none', found 'hot'"},
      {"emission layer 0\n", "klinput.dat:1:16: layer depth must be positive"},
      {"emission thermionic work-function 2\n", "klinput.dat:1:1: thermionic emission needs the cathode's temperature"},
      {"relaxation 0.01\n", "klinput.dat:1:12: relaxation factor must be at least 0.05"},
      {"tolerance 1e-300\n", "klinput.dat:1:11: tolerance must be at least 1e-09"},
      {"ITERATIONS   25\nMAGFIELD     mag.dat\nEMISSION     CHILD\n",
       "klinput.dat:3:14: expected 'space-charge', 'temperature', 'thermionic', 'layer' or 'none', found 'CHILD'"},
      {"solenoid z 1 length 2 radius 3 turns 4\nmagfield mag.dat\n", "klinput.dat:2:1: give solenoids or a magfield file, not both"},
      {"speed 3\n", "klinput.dat:1:1: unknown statement 'speed'"},
      {"output openpmd screens\n", "klinput.dat:1:23: missing screen position in mm"},
      {"cathode rays 6\n", "klinput.dat:1:14: thermal ray nodes must be at most 5"},
      {"cathode hot\n", "klinput.dat:1:9: expected 'temperature' or 'rays', found 'hot'"},
      {"surface-field limit -1\n", "klinput.dat:1:21: surface field limit must be positive"},
  };
  for (const auto& c : cases) EXPECT_EQ(failure(c.text, "klinput.dat"), c.expected);
}

TEST(DocumentedExamples, EveryShownGeomCodAndKlinputDatIsRead) {
  namespace fs = std::filesystem;
  const fs::path root = KELM_SOURCE_DIR;
  std::vector<fs::path> documents = {root / "README.md", root / "help" / "KELM.HLP", root / "docs" / "method.md"};
  for (const auto& entry : fs::directory_iterator(root / "packaging" / "man")) documents.push_back(entry.path());
  const std::regex marked(R"re((?:<pre title="|\.\\" example |```)(geom\.cod|klinput\.dat)(?:">)?\n(?:\.nf\n)?(?:\.ft CR\n)?([\s\S]*?)(?:</pre>|\.ft\n\.fi|\.fi|```))re");
  int shown[2] = {0, 0};
  for (const fs::path& document : documents) {
    std::stringstream text;
    text << std::ifstream(document).rdbuf();
    const std::string whole = text.str();
    for (std::sregex_iterator m(whole.begin(), whole.end(), marked), end; m != end; ++m) {
      const bool gunFile = (*m)[1] == "geom.cod";
      EXPECT_EQ(failure((*m)[2].str(), gunFile ? "geom.cod" : "klinput.dat"), "accepted") << document.filename();
      ++shown[gunFile ? 0 : 1];
    }
  }
  // The help file and the file-format page show both files at least.
  EXPECT_GE(shown[0], 2);
  EXPECT_GE(shown[1], 2);
}

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
    EXPECT_EQ(buildMesh(gun, mesh, error) ? "" : formatDiagnostic("geom.cod", error), says) << text;
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
