// Opening and closing disk units: keywords, statuses and the files they may touch; then the
// framing of unformatted records, byte by byte.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "records/error_numbers.h"
#include "records/formatted.h"
#include "records/unformatted.h"
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

std::string bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out.push_back(static_cast<char>(v));
  return out;
}

std::string le32(std::int32_t v) {
  std::string out(4, '\0');
  for (int i = 0; i < 4; ++i) out[static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
  return out;
}

class Unformatted : public ::testing::Test {
 protected:
  void openWith(const std::string& content) {
    testing::TempDirectory::writeFile("klplt.res", content);
    ASSERT_EQ(openUnit(21, {.file = "klplt.res", .status = "OLD", .form = "unformatted",
                            .action = "read"}),
              0);
  }
  void TearDown() override { closeUnit(21); }
  testing::TempDirectory dir;
};

TEST_F(Unformatted, WriterFramesRecordsInBlocksOf128) {
  ASSERT_EQ(openUnit(21, {.file = "klplt.res", .status = "NEW", .form = "unformatted"}), 0);
  const std::int32_t four = 0x01020304;
  ASSERT_EQ(writeUnformatted(21, four), 0);
  std::vector<unsigned char> long_record(300, 0xAB);
  UnformattedWrite w(21);
  w.writeItem(long_record.data(), long_record.size());
  ASSERT_EQ(w.end(), 0);
  UnformattedWrite exact(21);
  exact.writeItem(long_record.data(), 128);
  ASSERT_EQ(exact.end(), 0);
  ASSERT_EQ(UnformattedWrite(21).end(), 0);  // an empty record
  ASSERT_EQ(closeUnit(21), 0);

  const std::string block128(128, '\xAB');
  const std::string expected = bytes({0x4B, 0x04}) + le32(four) + bytes({0x04}) +
                               bytes({0x81}) + block128 + bytes({0x81}) + bytes({0x81}) +
                               block128 + bytes({0x81}) + bytes({0x2C}) +
                               std::string(44, '\xAB') + bytes({0x2C}) + bytes({0x80}) +
                               block128 + bytes({0x80}) + bytes({0x00, 0x00, 0x82});
  EXPECT_EQ(testing::TempDirectory::readFile("klplt.res"), expected);
}

TEST_F(Unformatted, ReadingTakesItemsAndSkipsTheRestOfTheRecord) {
  std::string record36 = le32(7);
  for (int i = 0; i < 32; ++i) record36.push_back(static_cast<char>(i));
  std::string record300(300, '\x11');
  record300.replace(296, 4, le32(-5));
  openWith(bytes({0x4B, 0x24}) + record36 + bytes({0x24}) + bytes({0x81}) +
           record300.substr(0, 128) + bytes({0x81, 0x81}) + record300.substr(128, 128) +
           bytes({0x81, 0x2C}) + record300.substr(256) + bytes({0x2C}) + bytes({0x04}) +
           le32(99) + bytes({0x04, 0x82}));
  std::int32_t value = 0;
  ASSERT_EQ(readUnformatted(21, value), 0);
  EXPECT_EQ(value, 7);
  // The items of a long record span its blocks.
  std::vector<std::int32_t> items(75);
  UnformattedRead r(21);
  for (std::int32_t& item : items) r.readItem(&item, sizeof item);
  ASSERT_EQ(r.end(), 0);
  EXPECT_EQ(items[0], 0x11111111);
  EXPECT_EQ(items[74], -5);
  ASSERT_EQ(readUnformatted(21, value), 0);
  EXPECT_EQ(value, 99);
  EXPECT_EQ(readUnformatted(21, value), kEndOfFile);
}

TEST_F(Unformatted, DamagedFramingAndOverlongRecordsAreErrorsAndEndsAreMinusOne) {
  std::string chain;  // blocks beyond the longest record
  for (int k = 0; k < (1 << 20) / 128 + 1; ++k) chain += bytes({0x81}) + std::string(128, '\0') + bytes({0x81});
  struct Case {
    std::string content;
    int expected;  // -1, an error number, or 1 for any positive error
  };
  const Case cases[] = {
      {bytes({0x4B, 0x82}), kEndOfFile},
      {bytes({0x4B}), kEndOfFile},
      {"", kEndOfFile},
      {bytes({0x4B, 0x04, 1, 2}), kEndOfFile},               // physical end inside a block
      {bytes({0x4C, 0x04}) + le32(1) + bytes({0x04}), 1},    // not the file mark
      {bytes({0x4B, 0x04}) + le32(1) + bytes({0x05}), 1},    // trailing byte differs
      {bytes({0x4B, 0x02, 1, 2, 0x02}), 1},                  // record shorter than the item
      {bytes({0x4B, 0x90}) + le32(1), 1},                    // no such block length
      {bytes({0x4B}) + chain + bytes({0x04}) + le32(3) + bytes({0x04, 0x82}), kRecordTooLong},
  };
  for (const Case& c : cases) {
    openWith(c.content);
    std::int32_t value = 0;
    const int status = readUnformatted(21, value);
    if (c.expected == 1) EXPECT_GT(status, 0);
    else EXPECT_EQ(status, c.expected);
    closeUnit(21);
  }
}

}  // namespace
}  // namespace kelm::records
