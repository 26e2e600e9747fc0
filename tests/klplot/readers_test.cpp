// The project readers on hand-written files: their one Output line each and what they store.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "records/unformatted.h"
#include "records/units.h"
#include "source/klplot/project/project_data.h"
#include "source/klplot/project/project_readers.h"
#include "tests/records/temp_directory.h"
#include "tests/records/recording_port.h"
#include "tests/views/program_state.h"

namespace kelm::klplot {
namespace {

class Readers : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::resetProgramState();
    resetOutlineForLoad(projectData);
    resetResultForLoad(projectData);
  }
  static void write(const std::string& name, const std::string& text) { testing::TempDirectory::writeFile(name, text); }
  static std::string pointLine(int code, int ir, int iz, const char* dr, const char* dz) {
    char line[64];
    std::snprintf(line, sizeof line, "%5d%5d%5d     %10s%10s", code, ir, iz, dr, dz);
    return line;
  }
  testing::TempDirectory dir;
  testing::RecordingPort port;
};

constexpr char kHeader[] = "NR =    41 NZ =   121 SCALE=10.0000\n";

TEST_F(Readers, GeometrySegmentsOffsetsAndScale) {
  std::string file = kHeader;
  file += pointLine(0, 10, 20, ".5", ".5") + "\n";      // halfway along both offsets
  file += pointLine(700, 20, 20, "2.0", ".3") + "\n";   // radial offset disregarded
  file += pointLine(1, 20, 30, ".3", "2.0") + "\n";     // axial offset disregarded
  file += pointLine(750, 0, 0, "0", "0") + "\n";        // separator
  file += pointLine(800, 40, 40, "0", "0") + "\n";
  file += pointLine(801, 0, 0, "0", "0") + "\n";        // end of the list
  write("geom.dat", file);
  loadGeometry(projectData);
  const ProjectData& d = projectData;
  EXPECT_EQ(port.lines, std::vector<std::string>{" File GEOM.DAT loaded"});
  EXPECT_EQ(d.geomLoaded, 1);
  ASSERT_EQ(d.geomSegCount, 2);
  EXPECT_EQ(d.geomSegLast(1), 3);
  EXPECT_EQ(d.geomSegFirst(2), 4);
  EXPECT_EQ(d.geomSegLast(2), 4);
  EXPECT_FLOAT_EQ(d.geomR(1), 1.025f);  // (10 + 10.5) / 2 / 10
  EXPECT_FLOAT_EQ(d.geomZ(1), 2.025f);
  EXPECT_FLOAT_EQ(d.geomR(2), 2.0f);
  EXPECT_FLOAT_EQ(d.geomZ(2), 2.03f);
  EXPECT_FLOAT_EQ(d.geomR(3), 2.03f);
  EXPECT_EQ(d.geomCode(4), 800);
}

void writeResult(const std::function<void()>& records) {
  ASSERT_EQ(records::openUnit(21, {.file = "klplt.res", .status = "REPLACE", .form = "unformatted"}), 0);
  records();
  records::closeUnit(21);
}

TEST_F(Readers, ResultTrajectoriesInterleaveAndAFailedLoadKeepsNoCurrent) {
  projectData.meshScale = 10.0f;
  writeResult([] {
    (void)records::writeUnformatted(21, std::int32_t{7});
    (void)records::writeUnformatted(21, std::int32_t{2});
    (void)records::writeUnformatted(21, std::int32_t{2}, 20.0, 30.0, 1.0, 0.5);
    (void)records::writeUnformatted(21, std::int32_t{1}, 10.0, 30.0, 1.0, 0.25);
    (void)records::writeUnformatted(21, std::int32_t{1}, 11.0, 40.0);
    (void)records::writeUnformatted(21, std::int32_t{2}, 21.0, 40.0);
    (void)records::writeUnformatted(21, std::int32_t{1}, 12.0, 50.0);
    (void)records::writeUnformatted(21, std::int32_t{0}, 0.0, 0.0);
  });
  loadResult(projectData);
  const ProjectData& d = projectData;
  EXPECT_EQ(port.lines.back(), " File KLPLT.RES loaded");
  EXPECT_EQ(d.trajCount, 2);
  EXPECT_EQ(d.trajNext(1), 4);
  EXPECT_EQ(d.trajNext(2), 3);
  EXPECT_DOUBLE_EQ(d.trajR(1, 3), 1.2);
  EXPECT_DOUBLE_EQ(d.trajR(2, 1), 2.0);
  EXPECT_EQ(d.cathodeR(1), 1.0f);  // the start radii the cathode view plots, made at load
  EXPECT_EQ(d.cathodeR(2), 2.0f);
  EXPECT_DOUBLE_EQ(d.totalCurrent, 0.75);
  EXPECT_NEAR(d.cathodeDensity(1), 15.915494f, 1e-5);  // 1.0 x 10 x 10 / (2 pi)

  // A file failing on its first records must not show the last project's beam current.
  writeResult([] { (void)records::writeUnformatted(21, std::int32_t{7}); });
  loadResult(projectData);
  EXPECT_EQ(projectData.totalCurrent, 0.0);
}

TEST_F(Readers, FieldFilesAndInterpolation) {
  write("mag.dat", "N=      2\nZ=    .0000E+00 B=    .0000E+00\nZ=    .1000E+02 B=    .1000E+03\n");
  write("pot.dat", "LINES=   1\nV=       1000.000 N=    3\n Z 1.0 2.0\n 3.0\n R 4.0, 5.0 6.0\n");
  projectData.meshScale = 1.0f;
  loadFieldFiles(projectData);
  EXPECT_EQ(port.lines, (std::vector<std::string>{" File MAG.DAT loaded", " File POT.DAT loaded"}));
  EXPECT_DOUBLE_EQ(fieldAt(5.0f), 50.0);
  EXPECT_DOUBLE_EQ(fieldAt(10.0f), 100.0);
  EXPECT_DOUBLE_EQ(fieldAt(10.5f), 0.0);
  EXPECT_DOUBLE_EQ(fieldAt(-1.0f), 0.0);
  EXPECT_EQ(projectData.potLineCount, 1);
  EXPECT_EQ(projectData.potZ(3), 3.0f);
  EXPECT_EQ(projectData.potR(3), 6.0f);

  // More points than the store holds: nothing of the file is kept.
  write("pot.dat", "LINES=   1\nV=       1000.000 N=30001\n");
  loadFieldFiles(projectData);
  EXPECT_EQ(port.lines.back(), " File POT.DAT damaged");
  EXPECT_EQ(projectData.potLineCount, 0);
}

}  // namespace
}  // namespace kelm::klplot
