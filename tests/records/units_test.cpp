// Opening and closing disk units: keywords, statuses and the files they may touch.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "records/error_numbers.h"
#include "records/formatted.h"
#include "records/units.h"
#include "recording_port.h"
#include "temp_directory.h"

namespace kelm::records {
namespace {

class Units : public ::testing::Test {
 protected:
  void TearDown() override { closeUnit(20); }
  testing::TempDirectory dir;
};

TEST_F(Units, ProjectFileOpensWithTheKeywordsTheReadersPass) {
  testing::TempDirectory::writeFile("geom.dat", "line one\r\nline two\rline three");
  ASSERT_EQ(openUnit(20, {.file = "geom.dat", .status = "OLD", .form = "formatted"}), 0);
  EXPECT_TRUE(isUnitOpen(20));
  std::array<char, 10> text{};
  for (const char* expected : {"line", "line", "line"}) {
    ASSERT_EQ(readList(20, std::span<char>(text)), 0);
    EXPECT_EQ(trimRight(std::string_view(text.data(), text.size())), expected);
  }
  EXPECT_EQ(readList(20, std::span<char>(text)), kEndOfFile);
  EXPECT_EQ(closeUnit(20, "keep"), 0);
  EXPECT_FALSE(isUnitOpen(20));
  EXPECT_TRUE(std::filesystem::exists("geom.dat"));
}

TEST_F(Units, FailedOpensLeaveTheUnitFreeAndCreateNothing) {
  testing::RecordingPort port;
  EXPECT_GT(openUnit(20, {.file = "geom.dat", .status = "OLD"}), 0);
  EXPECT_EQ(port.notes, std::vector<std::string>{}) << "a missing file needs no note";
  std::filesystem::create_symlink("loop.dat", "loop.dat");
  EXPECT_GT(openUnit(20, {.file = "loop.dat", .status = "OLD", .action = "read"}), 0);
  EXPECT_EQ(port.notes, std::vector<std::string>{"loop.dat cannot be opened: Too many levels of symbolic links"});
  EXPECT_FALSE(isUnitOpen(20));
  EXPECT_GT(openUnit(20, {.file = "geom.dat", .status = "UNKNOWN", .action = "READ"}), 0);
  EXPECT_FALSE(std::filesystem::exists("geom.dat"));
  EXPECT_GT(openUnit(20, {.file = "geom.dat", .status = "ANCIENT"}), 0);
  EXPECT_GT(openUnit(20, {.file = "geom.dat", .form = "text"}), 0);
  EXPECT_GT(openUnit(20, {.file = "geom.dat", .share = "everyone"}), 0);
  EXPECT_GT(openUnit(32768, {.file = "geom.dat"}), 0);
  EXPECT_GT(openUnit(0, {.file = "geom.dat"}), 0);
  EXPECT_FALSE(std::filesystem::exists("geom.dat"));
  std::int32_t value = 0;
  EXPECT_GT(readList(20, value), 0);
  EXPECT_GT(readList(-40000, value), 0);
}

// Anything but a regular file is not opened: a FIFO would block the open, a device never ends.
// The project readers meet FIFOs, directories and /dev/zero in the hostile projects test. A
// read-only project (on a CD, say) opens without the reader naming an action.
TEST_F(Units, OnlyRegularFilesOpenAndReadOnlyOnesWithoutAnAction) {
  testing::TempDirectory::writeFile("real.dat", "1\n");
  ::chmod("real.dat", 0444);
  ASSERT_EQ(::mkfifo("fifo.dat", 0644), 0);
  std::filesystem::create_symlink("real.dat", "link.dat");
  struct Case {
    const char* file;
    const char* status;
    const char* action;
    bool opens;
  } cases[] = {
      {"fifo.dat", "OLD", "write", false}, {"fifo.dat", "UNKNOWN", {}, false}, {"/dev/null", "OLD", {}, false},
      {"link.dat", "OLD", "read", true},   {"real.dat", "old", {}, true},
  };
  for (const Case& c : cases) {
    testing::RecordingPort port;
    EXPECT_EQ(openUnit(20, {.file = c.file, .status = c.status, .action = c.action ? c.action : ""}) == 0,
              c.opens)
        << c.file << " " << c.status;
    // The program's log learns why, where its message says only "not found".
    EXPECT_EQ(port.notes, c.opens ? std::vector<std::string>{}
                                  : std::vector<std::string>{std::string(c.file) + " cannot be opened: not a regular file"})
        << c.file;
    EXPECT_EQ(isUnitOpen(20), c.opens) << c.file;
    closeUnit(20);
  }
}

TEST_F(Units, ReplaceEmptiesAFileAndAReadOnlyUnitTakesNoWrite) {
  testing::TempDirectory::writeFile("out.txt", "an older file");
  ASSERT_EQ(openUnit(20, {.file = "out.txt", .status = "REPLACE", .action = "write"}), 0);
  ASSERT_EQ(write(20, "(I3,F6.2)", 42, 1.5f), 0);
  EXPECT_GT(readList(20, *std::make_unique<std::int32_t>()), 0);  // written only
  ASSERT_EQ(closeUnit(20), 0);
  EXPECT_EQ(testing::TempDirectory::readFile("out.txt"), " 42  1.50\n");

  ASSERT_EQ(openUnit(20, {.file = "out.txt", .status = "OLD", .action = "READ"}), 0);
  EXPECT_GT(write(20, "(I3)", 1), 0);
  ASSERT_EQ(closeUnit(20), 0);
  EXPECT_EQ(testing::TempDirectory::readFile("out.txt"), " 42  1.50\n");
}

// A writer that keeps appending (blank lines, say) must not keep a reader going: what lies
// beyond the size the file had at open is not read, however far a list search would look.
TEST_F(Units, AGrowingFileEndsWhereItEndedAtOpen) {
  struct Case {
    const char* before;
    std::string appended;
    int secondRead;  // status of the read that would reach the appended bytes
  } cases[] = {
      {"1\n", std::string(1 << 20, '\n') + "2\n", kEndOfFile},
      {"1\n", "2\n", kEndOfFile},
      {"1\n2", "3\n", 0},  // the record cut at open is read as it was then
  };
  for (const Case& c : cases) {
    testing::TempDirectory::writeFile("pot.dat", c.before);
    ASSERT_EQ(openUnit(20, {.file = "pot.dat", .status = "OLD", .action = "read"}), 0);
    std::ofstream("pot.dat", std::ios::binary | std::ios::app) << c.appended;
    std::int32_t first = 0, second = 0;
    EXPECT_EQ(readList(20, first), 0);
    EXPECT_EQ(readList(20, second), c.secondRead) << c.before;
    if (c.secondRead == 0) {
      EXPECT_EQ(second, 2) << c.before;
    }
    closeUnit(20);
  }
}

}  // namespace
}  // namespace kelm::records
