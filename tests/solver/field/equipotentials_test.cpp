// Equipotentials traced over a known field, written as pot.dat and read back by the display's
// own reader.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>

#include "records/units.h"
#include "source/klplot/project/project_data.h"
#include "source/klplot/project/project_readers.h"
#include "source/solver/field/contour_tracing.h"
#include "source/solver/field/equipotentials.h"
#include "tests/records/recording_port.h"
#include "tests/records/temp_directory.h"
#include "tests/solver/field/analytic_mesh.h"

namespace kelm::solver {
namespace {

constexpr double kH = 1e-4;
constexpr double kA = 11.3 * kH, kB = 27.6 * kH, kCentre = 30 * kH, kV0 = 1000.0;
constexpr testing::ConcentricSpheres kSpheres{kA, kB, kCentre, kV0};

// The sphere pair with the exact potential on its free nodes; the electrode nodes carry a
// wild value, which the tracer must never look at.
struct SphereField {
  ClassifiedMesh mesh = kSpheres.mesh(32, 61, kH);
  std::vector<double> phi = testing::nodeValues(mesh, [](double r, double z) { return kSpheres.potential(r, z); });
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
    {"ManyRings", 200, 200,
     [](double r, double z) { return std::sin(r * M_PI / 5) * std::sin(z * M_PI / 5); },
     {0.3, 0.6},
     100, 1000, false},
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

}  // namespace
}  // namespace kelm::solver
