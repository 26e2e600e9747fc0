// The example projects that ship with KELM (the simple one's pictures are pinned elsewhere, the
// damaged ones are told apart by kelm-export's summary test): the full one fills the stores
// without overflowing them, a directory without project files gets the default axes, and the
// extents an outline gives.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "source/klplot/project/project_data.h"
#include "source/klplot/project/project_readers.h"
#include "tests/records/temp_directory.h"
#include "tests/records/recording_port.h"

namespace kelm::klplot {
namespace {

class Examples : public ::testing::Test {
 protected:
  void TearDown() override { std::filesystem::current_path(home_); }

  std::vector<std::string> load(const char* project) {
    std::filesystem::current_path(std::filesystem::path(KELM_EXAMPLES_DIR) / project);
    port_.lines.clear();
    loadProjectFiles(projectData);
    return port_.lines;
  }

  static int outlinePoints() {
    const ProjectData& d = projectData;
    return d.geomSegCount == 0 ? 0 : d.geomSegLast(d.geomSegCount) - d.geomSegFirst(1) + 1;
  }

  static int potentialPoints() {
    const ProjectData& d = projectData;
    return d.potFirst(d.potLineCount + 1) - 1;
  }

  testing::RecordingPort port_;
  std::filesystem::path home_ = std::filesystem::current_path();
};

const std::vector<std::string> kAllLoaded{" File GEOM.DAT loaded", " File MAG.DAT loaded", " File POT.DAT loaded",
                                          " File KLPLT.RES loaded"};

TEST_F(Examples, FullFillsEveryStoreWithoutOverflowingAndKeepsTheSimpleOnesRanges) {
  EXPECT_EQ(load("full"), kAllLoaded);
  const ProjectData& d = projectData;
  EXPECT_EQ(outlinePoints(), 19932);
  EXPECT_EQ(d.trajCount, kMaxTrajectories);
  EXPECT_EQ(d.magCount, kMaxMagSamples);
  EXPECT_EQ(d.potLineCount, kMaxPotLines);
  EXPECT_GT(potentialPoints(), 4000);
  EXPECT_LE(potentialPoints(), kMaxPotPoints);
  // Every path nearly fills its store and runs from the cathode through the anode's aperture to
  // the end of the mesh.
  for (int i = 1; i <= d.trajCount; ++i) {
    const int points = d.trajNext(i) - 1;
    ASSERT_GT(points, 200) << "trajectory " << i;
    ASSERT_LE(points, kMaxTrajPoints - 1) << "trajectory " << i;
    ASSERT_EQ(d.trajZ(i, 1), 5.0f) << "trajectory " << i;
    ASSERT_GT(d.trajZ(i, points), 59.0) << "trajectory " << i;
  }
  // The finer outline runs through the simple one's electrodes, from the cathode at 5 mm to
  // the tube end at 60 mm and out to 20 mm: ticks of 10, the range 0..60, the radius 20 * 1.2.
  EXPECT_EQ(d.zAxisMin, 0.0);
  EXPECT_EQ(d.zAxisMax, 60.0);
  EXPECT_EQ(d.zTickStep, 10.0f);
  EXPECT_DOUBLE_EQ(d.rAxisMax, 24.0);
}

TEST_F(Examples, ADirectoryWithoutProjectFilesGetsTheDefaultAxes) {
  testing::TempDirectory empty;
  loadProjectFiles(projectData);
  const ProjectData& d = projectData;
  EXPECT_EQ(d.zAxisMin, 0.0);
  EXPECT_EQ(d.zAxisMax, 500.0);
  EXPECT_EQ(d.zTickStep, 100.0f);
  EXPECT_DOUBLE_EQ(d.rAxisMax, 240.0);
  EXPECT_EQ(d.trajCount, 0);
}

void outline(std::initializer_list<std::pair<float, float>> points) {
  ProjectData& d = projectData;
  int n = 0;
  for (auto [r, z] : points) {
    ++n;
    d.geomR(n) = r;
    d.geomZ(n) = z;
  }
  d.geomLoaded = 1;
  d.geomSegCount = 1;
  d.geomSegFirst(1) = 1;
  d.geomSegLast(1) = n;
  d.rAxisMax = 200.0;
}

TEST(Extents, AxialStepsFollowTheReducedSpan) {
  struct Case {
    float span;
    float step;
  } cases[] = {{3.0f, 0.5f}, {10.0f, 1.0f}, {19.9f, 2.5f}, {20.0f, 10.0f}, {45.0f, 5.0f}, {100.0f, 10.0f}};
  for (const Case& c : cases) {
    outline({{1.0f, 0.0f}, {2.0f, c.span}});
    deriveExtents(projectData);
    EXPECT_FLOAT_EQ(projectData.zTickStep, c.step) << c.span;
    EXPECT_LT(projectData.zAxisMin, projectData.zAxisMax);
  }
  EXPECT_DOUBLE_EQ(projectData.rAxisMax, 2.4);
}

TEST(Extents, FallBacksAndHugeCoordinatesStayFinite) {
  ProjectData& d = projectData;
  outline({{0.0f, 5.0f}});  // read, but no radius above 0 and no axial span
  deriveExtents(projectData);
  EXPECT_DOUBLE_EQ(d.rAxisMax, 120.0);
  EXPECT_DOUBLE_EQ(d.zAxisMax, 500.0);

  outline({{3e38f, -3e38f}, {1.0f, 3e38f}});
  deriveExtents(projectData);
  EXPECT_TRUE(std::isfinite(d.zAxisMin) && std::isfinite(d.zAxisMax) && std::isfinite(d.rAxisMax));
  EXPECT_LT(d.zAxisMin, d.zAxisMax);
  EXPECT_LT(d.rAxisMin, d.rAxisMax);
}

}  // namespace
}  // namespace kelm::klplot
