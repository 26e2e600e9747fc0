// List-directed input over several lines and list-directed output to the windows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "records/formatted.h"
#include "recording_port.h"
#include "temp_directory.h"

namespace kelm::records {
namespace {

class ListInput : public ::testing::Test {
 protected:
  void open(const std::string& text) {
    testing::TempDirectory::writeFile("pot.dat", text);
    ASSERT_EQ(openUnit(23, {.file = "pot.dat", .status = "OLD", .action = "read"}), 0);
  }
  void TearDown() override { closeUnit(23); }
  testing::TempDirectory dir;
};

TEST_F(ListInput, SeparatorsRepeatsSlashAndLineEnds) {
  open("1, 2 ,3\r\n2*5 7\n 9 / 99\n4\n,,6\n11 12 13\n");
  std::int32_t a = 0, b = 0, c = 0;
  ASSERT_EQ(readList(23, a, b, c), 0);
  EXPECT_EQ((std::vector{a, b, c}), (std::vector{1, 2, 3}));
  ASSERT_EQ(readList(23, a, b, c), 0);
  EXPECT_EQ((std::vector{a, b, c}), (std::vector{5, 5, 7}));
  a = b = c = -1;
  ASSERT_EQ(readList(23, a, b, c), 0);  // the slash keeps b and c
  EXPECT_EQ((std::vector{a, b, c}), (std::vector{9, -1, -1}));
  ASSERT_EQ(readList(23, a, b, c), 0);  // a statement reads as many lines as it needs
  EXPECT_EQ((std::vector{a, b, c}), (std::vector{4, -1, 6}));
  float r = 0.0f;
  ASSERT_EQ(readList(23, r), 0);  // the rest of the last line is skipped
  EXPECT_EQ(r, 11.0f);
  EXPECT_EQ(readList(23, r), kEndOfFile);
}

TEST_F(ListInput, RealsCharactersAndBadValues) {
  open("1.5E2 -.25 3\nabc 'two words' x\n1*\n12q\n");
  float x = 0.0f, y = 0.0f;
  double z = 0.0;
  ASSERT_EQ(readList(23, x, y, z), 0);
  EXPECT_EQ(x, 150.0f);
  EXPECT_EQ(y, -0.25f);
  EXPECT_EQ(z, 3.0);
  std::array<char, 5> first{}, second{};
  ASSERT_EQ(readList(23, std::span<char>(first), std::span<char>(second)), 0);
  EXPECT_EQ(std::string_view(first.data(), 5), "abc  ");
  EXPECT_EQ(std::string_view(second.data(), 5), "two w");
  std::int32_t kept = 8;
  ASSERT_EQ(readList(23, kept), 0);  // r* is r null values
  EXPECT_EQ(kept, 8);
  EXPECT_GT(readList(23, kept), 0);
}

TEST(ListOutput, MessagesStartWithABlankAndLongTextGoesOnTheNextLine) {
  testing::RecordingPort port;
  print("File GEOM.DAT loaded");
  print("Iteration", 5, 2.5f);
  EXPECT_EQ(port.lines, (std::vector<std::string>{" File GEOM.DAT loaded", " Iteration 5 2.5"}));

  port.lines.clear();
  const std::string directory = "/home/engineer/projects/" + std::string(70, 'g') + "/run-1/";
  print("Loading project from ", directory);
  std::string joined;
  for (const std::string& line : port.lines) {
    EXPECT_LE(line.size(), 79u);
    ASSERT_EQ(line[0], ' ');
    joined += line.substr(1);
  }
  EXPECT_GT(port.lines.size(), 1u);
  EXPECT_EQ(joined, "Loading project from " + directory);
}

TEST(ListOutput, WindowUnitsReachTheirWindows) {
  testing::RecordingPort port;
  ASSERT_EQ(openUnit(12, {.file = "user", .title = "Beam"}), 0);
  EXPECT_EQ(writeList(12, "drawn"), 0);
  EXPECT_EQ(write(12, "(I3)", 7), 0);
  std::int32_t value = 0;
  EXPECT_GT(readList(12, value), 0);  // windows take no input
  EXPECT_EQ(closeUnit(12), 0);
  EXPECT_EQ(port.opened, std::vector{12});
  EXPECT_EQ(port.closed, std::vector{12});
  EXPECT_EQ(port.windowRecords, (std::vector<std::string>{" drawn", "  7"}));
  EXPECT_GT(writeList(12, "gone"), 0);
}

}  // namespace
}  // namespace kelm::records
