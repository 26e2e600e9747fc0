// What each reader makes of a damaged file: its status, the place it names, the Output line it
// keeps as it always was, and the note for the program's log.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "source/klplot/project/load_status.h"
#include "source/klplot/project/project_data.h"
#include "source/klplot/project/project_readers.h"
#include "tests/records/recording_port.h"
#include "tests/records/temp_directory.h"

namespace kelm::klplot {
namespace {

// One unformatted record of klplt.res: its items' bytes in one block.
std::string block(const std::string& data) {
  const char length = static_cast<char>(data.size());
  return length + data + length;
}
template <class... Items>
std::string record(Items... items) {
  std::string data;
  ((data.append(reinterpret_cast<const char*>(&items), sizeof items)), ...);
  return block(data);
}
const std::string kMark = "\x4B";
const std::string kHead = kMark + record(std::int32_t{3}) + record(std::int32_t{1});        // records 1, 2
const std::string kStart = record(std::int32_t{1}, 10.0, 20.0, 1.0, 0.5);                   // record 3
const std::string kClose = record(std::int32_t{0}, 0.0, 0.0);

constexpr char kGeomHeader[] = "NR =    41 NZ =   121 SCALE=10.0000\n";
constexpr char kGeomPoint[] = "    0    1    1              0.        0.\n";
constexpr char kGeomEnd[] = "  999    0    0              0.        0.\n";

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
    FileOutcome outcome;
    switch (row.file) {
      case ProjectFile::kGeometry: outcome = loadGeometry(d); break;
      case ProjectFile::kMagneticField: outcome = loadMagneticField(d); break;
      case ProjectFile::kEquipotentials: outcome = loadEquipotentials(d); break;
      case ProjectFile::kResult: outcome = loadResult(d); break;
    }
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
  EXPECT_EQ(loadSummary(load), "MAG.DAT damaged, POT.DAT not found, KLPLT.RES damaged");
  EXPECT_EQ(port.lines, (std::vector<std::string>{" File GEOM.DAT loaded", " File POT.DAT not found",
                                                  " File KLPLT.RES damaged"}));
}

}  // namespace
}  // namespace kelm::klplot
