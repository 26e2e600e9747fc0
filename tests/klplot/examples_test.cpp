// The example projects that ship with KELM (the simple one's pictures are pinned elsewhere, the
// damaged ones are told apart by kelm-export's summary test): the full one fills the stores
// without overflowing them, and a directory without project files gets the default axes.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kelm::klplot
