// geom.cod and klinput.dat: what a correct text yields, where and why a wrong one fails, and
// every one a document shows read. A shown block is marked by its file's name: <pre
// title="geom.cod"> in the help file, a roff comment ".\" example geom.cod" before .nf in a man
// page, a ```geom.cod fence in Markdown.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "source/solver/geometry/gun_description.h"
#include "source/solver/geometry/solver_input.h"

namespace kelm::solver {
namespace {

constexpr char kMesh[] = "mesh r 10 z 20 cell 0.5\n";

std::string failure(const std::string& text) {
  GunDescription gun;
  Diagnostic error;
  if (parseGunDescription(text, gun, error)) return "accepted";
  return formatDiagnostic("geom.cod", error);
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
                               "iterations 40\n"
                               "relaxation 0.3\ntolerance 1e-4\nsolenoid z 50 length 20 radius 15 turns 12000\n"
                               "output openpmd screens 20 -1.5\ncathode rays 3\n"
                               "surface-field limit 8\nemission none\n",
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
      {"relaxation 1e-300\n", "klinput.dat:1:12: relaxation factor must be at least 0.05"},
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
  for (const auto& c : cases) {
    SolverInput in;
    Diagnostic error;
    EXPECT_FALSE(parseSolverInput(c.text, in, error));
    EXPECT_EQ(formatDiagnostic("klinput.dat", error), c.expected);
  }
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
      Diagnostic error;
      GunDescription gun;
      SolverInput input;
      EXPECT_TRUE(gunFile ? parseGunDescription((*m)[2].str(), gun, error) : parseSolverInput((*m)[2].str(), input, error))
          << document.filename() << ": " << error.line << ":" << error.column << ": " << error.message;
      ++shown[gunFile ? 0 : 1];
    }
  }
  // The help file and the file-format page show both files at least.
  EXPECT_GE(shown[0], 2);
  EXPECT_GE(shown[1], 2);
}

}  // namespace
}  // namespace kelm::solver
