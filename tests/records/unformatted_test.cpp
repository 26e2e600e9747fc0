// The framing of unformatted records, byte by byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "records/error_numbers.h"
#include "records/unformatted.h"
#include "records/units.h"
#include "temp_directory.h"

namespace kelm::records {
namespace {

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
