// List-directed input over several lines and list-directed output to the windows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "records/formatted.h"
#include "records/window_port.h"
#include "temp_directory.h"

namespace kelm::records {
namespace {

class CapturingPort : public WindowPort {
 public:
  CapturingPort() { setWindowPort(this); }
  ~CapturingPort() override { setWindowPort(nullptr); }
  bool openWindow(int unit, std::string_view) override {
    opened.push_back(unit);
    return true;
  }
  void closeWindow(int unit) override { closed.push_back(unit); }
  void writeRecord(int unit, std::string_view record) override {
    records.emplace_back(std::to_string(unit) + ":" + std::string(record));
  }
  [[noreturn]] void runtimeError(int, std::string_view) override { std::abort(); }
  std::vector<int> opened, closed;
  std::vector<std::string> records;
};

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
  CapturingPort port;
  print("File GEOM.DAT loaded");
  print("Iteration", 5, 2.5f);
  ASSERT_EQ(port.records.size(), 2u);
  EXPECT_EQ(port.records[0], "0: File GEOM.DAT loaded");
  EXPECT_EQ(port.records[1], "0: Iteration 5 2.5");

  port.records.clear();
  const std::string directory = "/home/engineer/projects/" + std::string(70, 'g') + "/run-1/";
  print("Loading project from ", directory);
  std::string joined;
  for (const std::string& record : port.records) {
    const std::string line = record.substr(2);
    EXPECT_LE(line.size(), 79u);
    ASSERT_EQ(line[0], ' ');
    joined += line.substr(1);
  }
  EXPECT_GT(port.records.size(), 1u);
  EXPECT_EQ(joined, "Loading project from " + directory);
}

TEST(ListOutput, WindowUnitsReachTheirWindows) {
  CapturingPort port;
  ASSERT_EQ(openUnit(12, {.file = "user", .title = "Beam"}), 0);
  EXPECT_EQ(writeList(12, "drawn"), 0);
  EXPECT_EQ(write(12, "(I3)", 7), 0);
  std::int32_t value = 0;
  EXPECT_GT(readList(12, value), 0);  // windows take no input
  EXPECT_EQ(closeUnit(12), 0);
  EXPECT_EQ(port.opened, std::vector{12});
  EXPECT_EQ(port.closed, std::vector{12});
  EXPECT_EQ(port.records, (std::vector<std::string>{"12: drawn", "12:  7"}));
  EXPECT_GT(writeList(12, "gone"), 0);
}

}  // namespace
}  // namespace kelm::records
