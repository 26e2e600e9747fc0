// The project readers: what each stores of a hand-written file and the one Output line it gives,
// where a damaged file went wrong, the example projects' stores and extents, and hostile files
// beside the simple project, each loaded, drawn and printed with the program thread's traps on.
// KELM_WRITE_SEEDS=dir also writes each hostile project there as a seed of the project fuzz target.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/klplot/counting_canvas.h"
#include "fuzz/klplot/loaded_project_views.h"
#include "source/klplot/project/load_status.h"
#include "source/klplot/project/project_data.h"
#include "source/klplot/project/project_readers.h"
#include "tests/records/recording_port.h"
#include "tests/records/temp_directory.h"
#include "tests/views/program_state.h"
#include "tests/views/program_thread.h"

namespace kelm::klplot {
namespace {

std::string format(const char* pattern, auto... values) {
  char line[128];
  std::snprintf(line, sizeof line, pattern, values...);
  return line;
}

// One unformatted record of klplt.res: its items' bytes in one block.
template <class... Items>
std::string record(Items... items) {
  std::string data;
  ((data.append(reinterpret_cast<const char*>(&items), sizeof items)), ...);
  const char length = static_cast<char>(data.size());
  return length + data + length;
}
const std::string kMark = "\x4B";
const std::string kHead = kMark + record(std::int32_t{3}) + record(std::int32_t{1});        // records 1, 2
const std::string kStart = record(std::int32_t{1}, 10.0, 20.0, 1.0, 0.5);                   // record 3
const std::string kClose = record(std::int32_t{0}, 0.0, 0.0);

constexpr char kGeomHeader[] = "NR =    41 NZ =   121 SCALE=10.0000\n";
constexpr char kGeomPoint[] = "    0    1    1              0.        0.\n";
constexpr char kGeomEnd[] = "  999    0    0              0.        0.\n";

class Readers : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::resetProgramState();
    resetOutlineForLoad(projectData);
    resetResultForLoad(projectData);
  }
  static void write(const std::string& name, const std::string& text) { testing::TempDirectory::writeFile(name, text); }
  static std::string pointLine(int code, int ir, int iz, const char* dr, const char* dz) {
    return format("%5d%5d%5d     %10s%10s", code, ir, iz, dr, dz);
  }
  testing::TempDirectory dir;
  testing::RecordingPort port;
};

TEST_F(Readers, GeometrySegmentsOffsetsAndScale) {
  std::string file = kGeomHeader;
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

TEST_F(Readers, ResultTrajectoriesInterleaveAndAFailedLoadKeepsNoCurrent) {
  projectData.meshScale = 10.0f;
  using I = std::int32_t;
  write("klplt.res", kMark + record(I{7}) + record(I{2}) + record(I{2}, 20.0, 30.0, 1.0, 0.5) +
                         record(I{1}, 10.0, 30.0, 1.0, 0.25) + record(I{1}, 11.0, 40.0) + record(I{2}, 21.0, 40.0) +
                         record(I{1}, 12.0, 50.0) + kClose + "\x82");
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
  write("klplt.res", kMark + record(I{7}) + "\x82");
  loadResult(projectData);
  EXPECT_EQ(projectData.totalCurrent, 0.0);
}

TEST_F(Readers, FieldFilesAndInterpolation) {
  write("mag.dat", "N=      2\nZ=    .0000E+00 B=    .0000E+00\nZ=    .1000E+02 B=    .1000E+03\n");
  write("pot.dat", "LINES=   1\nV=       1000.000 N=    3\n Z 1.0 2.0\n 3.0\n R 4.0, 5.0 6.0\n");
  projectData.meshScale = 1.0f;
  loadFieldFiles(projectData);
  EXPECT_EQ(port.lines, (std::vector<std::string>{" File MAG.DAT loaded", " File POT.DAT loaded"}));
  for (auto [z, b] : {std::pair{5.0f, 50.0}, {10.0f, 100.0}, {10.5f, 0.0}, {-1.0f, 0.0}})
    EXPECT_DOUBLE_EQ(fieldAt(z), b) << z;
  EXPECT_EQ(projectData.potLineCount, 1);
  EXPECT_EQ(projectData.potZ(3), 3.0f);
  EXPECT_EQ(projectData.potR(3), 6.0f);
}

struct Row {
  const char* what;
  ProjectFile file;
  std::string content;
  FileStatus status;
  const char* where;
  bool silent = false;  // no Output line for this failure
};

std::vector<Row> rows() {
  const std::string geom = kGeomHeader;
  std::string tooManyPoints = geom;
  for (int i = 0; i <= kMaxGeomPoints; ++i) tooManyPoints += kGeomPoint;
  return {
      {"a whole outline", ProjectFile::kGeometry, geom + kGeomPoint + kGeomEnd, FileStatus::kLoaded, ""},
      {"an empty geom.dat", ProjectFile::kGeometry, "", FileStatus::kDamaged, "no records"},
      {"letters in the header's first integer", ProjectFile::kGeometry, "NR =   4x1 NZ =   121 SCALE=10.0000\n",
       FileStatus::kDamaged, "record 1, column 6"},
      {"a mesh scale of 0", ProjectFile::kGeometry, "NR =    41 NZ =   121 SCALE=     0.\n" + std::string(kGeomEnd),
       FileStatus::kDamaged, "record 1, column 29"},
      {"a blank mesh scale", ProjectFile::kGeometry, "NR =    41 NZ =   121 SCALE=       \n" + std::string(kGeomEnd),
       FileStatus::kDamaged, "record 1, column 29"},
      {"more points than the store holds", ProjectFile::kGeometry, tooManyPoints + kGeomEnd, FileStatus::kDamaged,
       "record 20002"},
      {"a bad axial offset in the third line", ProjectFile::kGeometry,
       geom + kGeomPoint + "    0    1    1              0.       x.5\n", FileStatus::kDamaged, "record 3, column 31"},
      {"an outline without its end line", ProjectFile::kGeometry, geom + kGeomPoint + kGeomPoint,
       FileStatus::kDamaged, "ends after record 3"},
      {"fewer samples than counted", ProjectFile::kMagneticField, "N=      3\nZ=    .0000E+00 B=    .0000E+00\n",
       FileStatus::kDamaged, "ends after record 2", true},
      {"a bad field value", ProjectFile::kMagneticField, "N=      1\nZ=    .0000E+00 B=    .00x0E+00\n",
       FileStatus::kDamaged, "record 2, column 20", true},
      {"an unreadable line count", ProjectFile::kEquipotentials, "LINES=  x1\n", FileStatus::kDamaged,
       "record 1, column 7", true},
      {"more lines than the store holds", ProjectFile::kEquipotentials, "LINES= 101\n", FileStatus::kDamaged,
       "record 1, column 7"},
      {"a negative point count", ProjectFile::kEquipotentials, "LINES=   1\nV=       1000.000 N=   -2\n",
       FileStatus::kDamaged, "record 2, column 21"},
      {"more points than the store holds", ProjectFile::kEquipotentials, "LINES=   1\nV=       1000.000 N=30001\n",
       FileStatus::kDamaged, "record 2, column 21"},
      {"a radial list cut short over two lines", ProjectFile::kEquipotentials,
       "LINES=   1\nV=       1000.000 N=    3\n Z 1.0 2.0\n 3.0\n R 4.0\n 5.0\n", FileStatus::kDamaged,
       "ends after record 6"},
      {"a whole result", ProjectFile::kResult, kHead + kStart + kClose, FileStatus::kLoaded, ""},
      {"an empty klplt.res", ProjectFile::kResult, "", FileStatus::kDamaged, "no records"},
      {"more trajectories than the store holds", ProjectFile::kResult, kMark + record(std::int32_t{7}) + record(std::int32_t{1001}),
       FileStatus::kDamaged, "record 2"},
      {"no closing record", ProjectFile::kResult, kHead + kStart, FileStatus::kDamaged, "ends after record 3"},
      {"a closing record of 4 bytes", ProjectFile::kResult, kHead + kStart + record(std::int32_t{0}),
       FileStatus::kDamaged, "record 4, 16 bytes short"},
      {"a start record cut off by the end of the file", ProjectFile::kResult,
       kHead + kStart.substr(0, 1 + 4 + 8 + 3), FileStatus::kDamaged, "record 3, 21 bytes short"},
      {"a point of a trajectory that does not exist", ProjectFile::kResult,
       kHead + kStart + record(std::int32_t{1}, 1.0, 2.0) + record(std::int32_t{2}, 1.0, 2.0) + kClose,
       FileStatus::kDamaged, "record 5"},
      {"a framing byte that does not match", ProjectFile::kResult,
       kHead + kStart.substr(0, kStart.size() - 1) + "\x23" + kClose, FileStatus::kDamaged, "record 3"},
  };
}

TEST(LoadOutcome, EachDamagedFileNamesWhereItWentWrong) {
  for (const Row& row : rows()) {
    SCOPED_TRACE(row.what);
    testing::TempDirectory dir;
    const ProjectFileName& name = nameOf(row.file);
    testing::TempDirectory::writeFile(std::string(name.file), row.content);
    testing::RecordingPort port;
    ProjectData& d = projectData;
    resetOutlineForLoad(d);
    resetResultForLoad(d);
    FileOutcome (*const loaders[])(ProjectData&) = {loadGeometry, loadMagneticField, loadEquipotentials, loadResult};
    const FileOutcome outcome = loaders[int(row.file)](d);
    EXPECT_EQ(outcome.status, row.status);
    EXPECT_EQ(whereDamaged(outcome), row.where);
    const std::string line = " File " + std::string(name.message) + " " + std::string(statusWords(row.status));
    EXPECT_EQ(port.lines, row.silent ? std::vector<std::string>{} : std::vector<std::string>{line});
    const std::string note = std::string(name.file) + " damaged: " + row.where;
    EXPECT_EQ(port.notes, *row.where == '\0' ? std::vector<std::string>{} : std::vector<std::string>{note});
    // A damaged outline or field file leaves nothing of itself to draw, and no scale of 0 to
    // divide every coordinate by.
    const int kept[] = {d.geomSegCount, d.magCount, d.potLineCount};
    if (row.status == FileStatus::kDamaged && row.file != ProjectFile::kResult) {
      EXPECT_EQ(kept[int(row.file)], 0);
    }
    EXPECT_NE(d.meshScale, 0.0f);
  }
}

TEST(LoadOutcome, ALoadGivesEachFileInItsOrderAndSaysWhatFailed) {
  testing::TempDirectory dir;
  testing::TempDirectory::writeFile("geom.dat", std::string(kGeomHeader) + kGeomPoint + kGeomEnd);
  testing::TempDirectory::writeFile("mag.dat", "N=      2\n");
  testing::TempDirectory::writeFile("klplt.res", kHead + kStart + record(std::int32_t{0}));
  testing::RecordingPort port;
  const ProjectLoad load = loadProjectFiles(projectData);
  std::vector<std::string> lines;
  for (std::size_t f = 0; f < load.size(); ++f) lines.push_back(outcomeLine(ProjectFile(f), load[f], true));
  EXPECT_EQ(lines, (std::vector<std::string>{"File GEOM.DAT loaded", "File MAG.DAT damaged: ends after record 1",
                                             "File POT.DAT not found",
                                             "File KLPLT.RES damaged: record 4, 16 bytes short"}));
  EXPECT_EQ(port.lines, (std::vector<std::string>{" File GEOM.DAT loaded", " File POT.DAT not found",
                                                  " File KLPLT.RES damaged"}));
}

class Examples : public ::testing::Test {
 protected:
  void TearDown() override { std::filesystem::current_path(home_); }
  testing::RecordingPort port_;
  std::filesystem::path home_ = std::filesystem::current_path();
};

TEST_F(Examples, FullFillsEveryStoreWithoutOverflowingAndKeepsTheSimpleOnesRanges) {
  std::filesystem::current_path(std::filesystem::path(KELM_EXAMPLES_DIR) / "full");
  loadProjectFiles(projectData);
  ASSERT_EQ(port_.lines, (std::vector<std::string>{" File GEOM.DAT loaded", " File MAG.DAT loaded",
                                                   " File POT.DAT loaded", " File KLPLT.RES loaded"}));
  const ProjectData& d = projectData;
  EXPECT_EQ(d.geomSegLast(d.geomSegCount) - d.geomSegFirst(1) + 1, 19932);  // outline points
  EXPECT_EQ(d.trajCount, kMaxTrajectories);
  EXPECT_EQ(d.magCount, kMaxMagSamples);
  EXPECT_EQ(d.potLineCount, kMaxPotLines);
  const int potentialPoints = d.potFirst(d.potLineCount + 1) - 1;
  EXPECT_GT(potentialPoints, 4000);
  EXPECT_LE(potentialPoints, kMaxPotPoints);
  // A path beyond its store is damaged (the reader refuses it); that every path runs from the
  // cathode to the end of the mesh is the figure tables' test of the crossings at each plane.
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

// geom.dat: the mesh scale in its seven columns, then (iz, dz) points on the axis ir = 2.
std::string geometry(const char* scale, std::initializer_list<std::pair<int, double>> points) {
  std::string file = format("NR =    41 NZ =   121 SCALE=%7s\n", scale);
  for (const auto& [iz, dz] : points) file += format("    1    2%5d     %10.5f%10.5f\n", iz, 0.0, dz);
  return file + format("  999    0    0     %10.5f%10.5f\n", 0.0, 0.0);
}

std::string field(std::initializer_list<std::pair<double, double>> samples) {
  std::string file = format("N= %6d\n", int(samples.size()));
  for (const auto& [z, b] : samples) file += format("Z= %12.4E B= %12.4E\n", z, b);
  return file;
}

// klplt.res with trajectories 1.. from their start (r, z, density) to one further point each.
std::string resultWithPaths(std::initializer_list<std::array<double, 5>> starts) {
  std::string file = kMark + record(std::int32_t{1}) + record(std::int32_t(starts.size()));
  std::int32_t i = 0;
  for (const auto& s : starts) file += record(++i, s[0], s[1], s[2], 1.0);
  i = 0;
  for (const auto& s : starts) file += record(++i, s[3], s[4]);
  return file + kClose + '\x82';
}

enum class Kind { kFile, kFifo, kDirectory, kZeroDevice, kLongRecord };

struct Hostile {
  const char* what;
  const char* file;
  Kind kind;
  std::string content;
  const char* reported;  // the line about this file, or "" when the reader stays silent
  std::string outline = {};  // geom.dat beside another file; the project's own when empty
  const char* project = "simple";  // the example that gives the other files
};

constexpr const char* kProjectFiles[] = {"geom.dat", "mag.dat", "pot.dat", "klplt.res"};

// A bundled project's files: each row changes one of them, so that the hostile value meets a
// whole picture.
std::string exampleFile(std::string_view name, std::string_view project = "simple") {
  return kelm::testing::TempDirectory::readFile(std::string(KELM_EXAMPLES_DIR) + "/" + std::string(project) + "/" +
                                                std::string(name));
}

// The simple outline on a mesh of another scale: every coordinate of the project follows it.
std::string simpleOutlineScaled(const char* scale) {
  return exampleFile("geom.dat").replace(28, 7, format("%7s", scale));
}

// The simple outline with its first line padded to length bytes.
std::string simpleOutlineWithHeaderOf(std::size_t length) {
  std::string geometry = exampleFile("geom.dat");
  const std::size_t end = geometry.find('\n');
  return geometry.insert(end, length - end, ' ');
}

std::vector<Hostile> hostileRows() {
  return {
      // geom.dat
      {"outline z within (-1, 0]: the window's left edge is its right edge", "geom.dat", Kind::kFile,
       geometry("1.0000", {{0, -0.5}, {0, 0.0}}), " File GEOM.DAT loaded"},
      {"outline near 1e9 with a tick step below the float spacing", "geom.dat", Kind::kFile,
       geometry(".1E-04", {{10000, 0.0}, {10000, 0.0005}}), " File GEOM.DAT loaded"},
      {"mesh scale 1e-30", "geom.dat", Kind::kFile, simpleOutlineScaled("1.0E-30"), " File GEOM.DAT loaded"},
      {"mesh scale 1e-34", "geom.dat", Kind::kFile, simpleOutlineScaled("1.0E-34"), " File GEOM.DAT loaded"},
      {"mesh scale 3.4e38", "geom.dat", Kind::kFile, simpleOutlineScaled("3.4E+38"), " File GEOM.DAT loaded"},
      {"a FIFO", "geom.dat", Kind::kFifo, "", " File GEOM.DAT not found"},
      {"a directory", "geom.dat", Kind::kDirectory, "", " File GEOM.DAT not found"},
      {"a link to /dev/zero", "geom.dat", Kind::kZeroDevice, "", " File GEOM.DAT not found"},
      {"a line longer than 1 MiB", "geom.dat", Kind::kLongRecord, "", " File GEOM.DAT damaged"},
      // At the capacities: a line of exactly the longest record, one byte over it, and the full
      // example (1000 trajectories, about 20000 outline points, 100 equipotentials).
      {"capacity line of 1 MiB", "geom.dat", Kind::kFile, simpleOutlineWithHeaderOf(1 << 20), " File GEOM.DAT loaded"},
      {"capacity line over 1 MiB", "geom.dat", Kind::kFile, simpleOutlineWithHeaderOf((1 << 20) + 1),
       " File GEOM.DAT damaged"},
      {"capacity full example", "klplt.res", Kind::kFile, exampleFile("klplt.res", "full"), " File KLPLT.RES loaded", {},
       "full"},
      // mag.dat
      {"one sample of 1e10 G: the B range collapses in single precision", "mag.dat", Kind::kFile,
       field({{30.0, 1e10}}), " File MAG.DAT loaded"},
      {"a near-constant field of 1e10 G", "mag.dat", Kind::kFile,
       field({{0.0, 1e10}, {30.0, 1.0000001e10}, {60.0, 1e10}}), " File MAG.DAT loaded"},
      {"fields near +-3.4e38", "mag.dat", Kind::kFile, field({{0.0, 3.4e38}, {30.0, -3.4e38}, {60.0, 3.4e38}}),
       " File MAG.DAT loaded"},
      {"a FIFO", "mag.dat", Kind::kFifo, "", " File MAG.DAT not found"},
      {"a link to /dev/zero", "mag.dat", Kind::kZeroDevice, "", " File MAG.DAT not found"},
      {"a line longer than 1 MiB", "mag.dat", Kind::kLongRecord, "", ""},
      // pot.dat
      {"a FIFO", "pot.dat", Kind::kFifo, "", " File POT.DAT not found"},
      {"a line longer than 1 MiB", "pot.dat", Kind::kLongRecord, "", ""},
      // klplt.res
      {"trajectory z near 1e20", "klplt.res", Kind::kFile,
       resultWithPaths({{{1.0, 10.0, 1.0, 1.5, 1e20}}, {{2.0, 10.0, 1.0, 2.5, -1e20}}}),
       " File KLPLT.RES loaded"},
      {"cathode density near 3e38", "klplt.res", Kind::kFile,
       resultWithPaths({{{1.0, 10.0, 1e30, 1.5, 50.0}}, {{2.0, 10.0, -1e30, 2.5, 50.0}}}),
       " File KLPLT.RES loaded", geometry("5.0E+04", {{10, 0.0}, {20, 0.0}})},
      {"start radii 5e29 apart", "klplt.res", Kind::kFile,
       resultWithPaths({{{0.0, -1e3, 1.0, 0.0, 1e3}}, {{5e29, -1e3, 1.0, 5e29, 1e3}}}),
       " File KLPLT.RES loaded"},
      {"a signalling NaN as a start radius", "klplt.res", Kind::kFile,
       resultWithPaths({{{std::bit_cast<double>(0x7FF0000000000001ull), 10.0, 1.0, 1.5, 50.0}}}),
       " File KLPLT.RES damaged"},
      {"a FIFO", "klplt.res", Kind::kFifo, "", " File KLPLT.RES not found"},
  };
}

void make(const Hostile& row) {
  switch (row.kind) {
    case Kind::kFile: kelm::testing::TempDirectory::writeFile(row.file, row.content); break;
    case Kind::kFifo: ASSERT_EQ(::mkfifo(row.file, 0644), 0); break;
    case Kind::kDirectory: std::filesystem::create_directory(row.file); break;
    case Kind::kZeroDevice: std::filesystem::create_symlink("/dev/zero", row.file); break;
    case Kind::kLongRecord: kelm::testing::TempDirectory::writeFile(row.file, std::string((1 << 20) + 2, '1')); break;
  }
}

// What stands beside the row's file under this name.
std::string besideRow(const Hostile& row, std::string_view name) {
  return name == "geom.dat" && !row.outline.empty() ? row.outline : exampleFile(name, row.project);
}

// The seed's name: the file and the first words of the class.
std::string seedName(const Hostile& row) {
  std::string name = std::string(row.file) + "-";
  for (const char* c = row.what; *c != '\0' && *c != ':' && name.size() < 48; ++c)
    name += std::isalnum(static_cast<unsigned char>(*c)) || *c == '.' ? *c : '-';
  return name;
}

void writeSeed(const char* dir, const Hostile& row) {
  if (row.kind != Kind::kFile) return;
  std::ofstream seed(std::filesystem::path(dir) / seedName(row), std::ios::binary);
  seed << "%%" << row.file << "\n" << row.content;
  for (std::string_view name : kProjectFiles)
    if (name != row.file) seed << "\n%%" << name << "\n" << besideRow(row, name);
}

TEST(HostileProjects, EachClassLoadsDrawsAndReportsWithoutATrap) {
  const char* seeds = std::getenv("KELM_WRITE_SEEDS");
  for (const Hostile& row : hostileRows()) {
    SCOPED_TRACE(std::string(row.file) + ": " + row.what);
    if (seeds != nullptr) writeSeed(seeds, row);
    kelm::testing::TempDirectory dir;
    for (std::string_view name : kProjectFiles)
      if (name != row.file) kelm::testing::TempDirectory::writeFile(std::string(name), besideRow(row, name));
    make(row);
    kelm::testing::RecordingPort port;
    fuzzing::CountingCanvas canvas;
    fuzzing::CountingPage page;
    kelm::testing::onProgramThread([&] {
      loadProjectFiles(projectData);
      fuzzing::drawLoadedProject(canvas, 1920, 1080, 28, fieldAt);
      fuzzing::drawPlaneAcrossTheRange(canvas, 1920, 1080, 28, fieldAt);
      fuzzing::printLoadedProject(page);
    });
    const ProjectData& d = projectData;
    EXPECT_LT(d.zAxisMin, d.zAxisMax);
    EXPECT_LT(d.rAxisMin, d.rAxisMax);
    const bool silent = *row.reported == '\0';
    EXPECT_EQ(port.lines.size(), silent ? 3u : 4u);
    EXPECT_TRUE(silent || std::find(port.lines.begin(), port.lines.end(), row.reported) != port.lines.end());
  }
}

}  // namespace
}  // namespace kelm::klplot
