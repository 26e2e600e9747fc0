// CSV read as spreadsheets save it and as the programs write it.
#include "source/command_line_tools/csv.h"

#include <gtest/gtest.h>

namespace kelm::cli {
namespace {

using Rows = std::vector<std::vector<std::string>>;

TEST(Csv, ReadsWhatSpreadsheetsAndTheProgramsWrite) {
  const struct {
    std::string text;
    Rows rows;
  } cases[] = {
      {"\xEF\xBB\xBF\"gap\",\"volts\"\r\n8,1e4\r\n", {{"gap", "volts"}, {"8", "1e4"}}},
      {"a,\"b,\"\"c\"\"\nd\"\n\n,\n", {{"a", "b,\"c\"\nd"}, {"", ""}}},
      {"x", {{"x"}}},
  };
  for (const auto& c : cases) {
    std::vector<CsvRow> rows;
    std::string why;
    ASSERT_TRUE(readCsv(c.text, rows, why)) << why;
    Rows cells;
    for (const CsvRow& row : rows) cells.push_back(row.cells);
    EXPECT_EQ(cells, c.rows) << c.text;
  }
  // What CsvLine writes reads back the same.
  const std::string text = CsvLine().add("a,\"b\"\r\n").add(0.1).add(-3).addEmpty().text();
  std::vector<CsvRow> rows;
  std::string why;
  ASSERT_TRUE(readCsv(text, rows, why)) << why;
  EXPECT_EQ(rows.at(0).cells, (std::vector<std::string>{"a,\"b\"\r\n", "0.1", "-3", ""}));
  for (const char* broken : {"a\n\"b", "\"a\"b,c\n"}) {
    EXPECT_FALSE(readCsv(broken, rows, why)) << broken;
    EXPECT_NE(why.find("line "), std::string::npos) << why;
  }
}

}  // namespace
}  // namespace kelm::cli
