// The simple project with one file made to end or hang the program: values at the edges of
// single precision, ranges that rounding collapses, steps below the spacing of floats, files
// that are not files.
// Each is loaded and drawn as a load shows it, then with the plane anywhere the user can put
// it, and printed, all with the program thread's traps on; the "Output" lines say what the user is told.
// KELM_WRITE_SEEDS=dir also writes each project there as an input of the project fuzz target.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/klplot/counting_canvas.h"
#include "fuzz/klplot/loaded_project_views.h"
#include "source/klplot/project/project_data.h"
#include "source/klplot/project/project_readers.h"
#include "tests/records/temp_directory.h"
#include "tests/records/recording_port.h"
#include "tests/views/program_thread.h"

namespace kelm::klplot {
namespace {

std::string format(const char* pattern, auto... values) {
  char line[128];
  std::snprintf(line, sizeof line, pattern, values...);
  return line;
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

// klplt.res: one record per block, as the solver writes records of this size.
class ResultFile {
 public:
  ResultFile() : bytes_(1, '\x4B') {}
  template <class... Items>
  ResultFile& record(Items... items) {
    std::string data;
    (data.append(reinterpret_cast<const char*>(&items), sizeof items), ...);
    bytes_ += char(data.size()) + data + char(data.size());
    return *this;
  }
  // Trajectories 1.. with their start (r, z, density) and one further point each.
  ResultFile& paths(std::initializer_list<std::array<double, 5>> starts) {
    record(std::int32_t{1}).record(std::int32_t(starts.size()));
    std::int32_t i = 0;
    for (const auto& s : starts) record(++i, s[0], s[1], s[2], 1.0);
    i = 0;
    for (const auto& s : starts) record(++i, s[3], s[4]);
    return record(std::int32_t{0}, 0.0, 0.0);
  }
  std::string bytes() const { return bytes_ + '\x82'; }

 private:
  std::string bytes_;
};

enum class Kind { kFile, kFifo, kDirectory, kZeroDevice, kLongRecord };

struct Row {
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

std::vector<Row> rows() {
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
       ResultFile().paths({{{1.0, 10.0, 1.0, 1.5, 1e20}}, {{2.0, 10.0, 1.0, 2.5, -1e20}}}).bytes(),
       " File KLPLT.RES loaded"},
      {"cathode density near 3e38", "klplt.res", Kind::kFile,
       ResultFile().paths({{{1.0, 10.0, 1e30, 1.5, 50.0}}, {{2.0, 10.0, -1e30, 2.5, 50.0}}}).bytes(),
       " File KLPLT.RES loaded", geometry("5.0E+04", {{10, 0.0}, {20, 0.0}})},
      {"start radii 5e29 apart", "klplt.res", Kind::kFile,
       ResultFile().paths({{{0.0, -1e3, 1.0, 0.0, 1e3}}, {{5e29, -1e3, 1.0, 5e29, 1e3}}}).bytes(),
       " File KLPLT.RES loaded"},
      {"a signalling NaN as a start radius", "klplt.res", Kind::kFile,
       ResultFile().paths({{{std::bit_cast<double>(0x7FF0000000000001ull), 10.0, 1.0, 1.5, 50.0}}}).bytes(),
       " File KLPLT.RES damaged"},
      {"a FIFO", "klplt.res", Kind::kFifo, "", " File KLPLT.RES not found"},
  };
}

void make(const Row& row) {
  switch (row.kind) {
    case Kind::kFile: kelm::testing::TempDirectory::writeFile(row.file, row.content); break;
    case Kind::kFifo: ASSERT_EQ(::mkfifo(row.file, 0644), 0); break;
    case Kind::kDirectory: std::filesystem::create_directory(row.file); break;
    case Kind::kZeroDevice: std::filesystem::create_symlink("/dev/zero", row.file); break;
    case Kind::kLongRecord: kelm::testing::TempDirectory::writeFile(row.file, std::string((1 << 20) + 2, '1')); break;
  }
}

// What stands beside the row's file under this name.
std::string besideRow(const Row& row, std::string_view name) {
  return name == "geom.dat" && !row.outline.empty() ? row.outline : exampleFile(name, row.project);
}

// The seed's name: the file and the first words of the class.
std::string seedName(const Row& row) {
  std::string name = std::string(row.file) + "-";
  for (const char* c = row.what; *c != '\0' && *c != ':' && name.size() < 48; ++c)
    name += std::isalnum(static_cast<unsigned char>(*c)) || *c == '.' ? *c : '-';
  return name;
}

void writeSeed(const char* dir, const Row& row) {
  if (row.kind != Kind::kFile) return;
  std::ofstream seed(std::filesystem::path(dir) / seedName(row), std::ios::binary);
  seed << "%%" << row.file << "\n" << row.content;
  for (std::string_view name : kProjectFiles)
    if (name != row.file) seed << "\n%%" << name << "\n" << besideRow(row, name);
}

TEST(HostileProjects, EachClassLoadsDrawsAndReportsWithoutATrap) {
  const char* seeds = std::getenv("KELM_WRITE_SEEDS");
  for (const Row& row : rows()) {
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
