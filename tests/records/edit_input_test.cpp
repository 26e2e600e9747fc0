// Formatted input of the project files' line layouts, and the fields that must be refused.
#include <gtest/gtest.h>

#include <string>

#include "records/formatted.h"

namespace kelm::records {
namespace {

struct PointLine {
  std::int32_t i = -1, j = -1, k = -1;
  float r = -1.0f, z = -1.0f;
};

int readPointLine(std::string_view line, PointLine& p) {
  return readInternal(line, "(3I5,5X,2F10.5)", p.i, p.j, p.k, p.r, p.z);
}

TEST(EditInput, ShortLinesArePaddedWithBlanks) {
  PointLine p;
  ASSERT_EQ(readPointLine("    1    2    3", p), 0);
  EXPECT_EQ(p.k, 3);
  EXPECT_EQ(p.z, 0.0f);
  ASSERT_EQ(readPointLine("  701", p), 0);
  EXPECT_EQ(p.i, 701);
  EXPECT_EQ(p.j, 0);
  ASSERT_EQ(readPointLine("", p), 0);
  EXPECT_EQ(p.i, 0);
}

TEST(EditInput, ImpliedAndExplicitDecimals) {
  PointLine p;
  ASSERT_EQ(readPointLine("    1    2    3          12345     1.5  ", p), 0);
  EXPECT_FLOAT_EQ(p.r, 0.12345f);
  EXPECT_FLOAT_EQ(p.z, 1.5f);

  struct Case {
    const char* field;
    double expected;
  };
  const Case cases[] = {
      {"1.5E2", 150.0}, {"1.5e+2", 150.0}, {"1.5D2", 150.0}, {"1.5+2", 150.0},
      {"15-1", 0.015},  // no point: the last two digits are decimals, then the exponent
      {"-.5", -0.5},     {"+", 0.0},       {"  1 2.\t5", 12.5},
      {"", 0.0},         {"7", 0.07},      {"1E-400", 0.0},
  };
  for (const Case& c : cases) {
    double value = -1.0;
    ASSERT_EQ(readInternal(c.field, "(F10.2)", value), 0) << c.field;
    EXPECT_DOUBLE_EQ(value, c.expected) << c.field;
  }
}

TEST(EditInput, BlanksInsideIntegersAreIgnoredAndCommasEndFields) {
  std::int32_t a = -1, b = -1;
  ASSERT_EQ(readInternal("  1 2", "(I5)", a), 0);
  EXPECT_EQ(a, 12);
  ASSERT_EQ(readInternal("1,2", "(I5,I5)", a, b), 0);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 2);
  ASSERT_EQ(readInternal("-2147483648", "(I11)", a), 0);
  EXPECT_EQ(a, -2147483647 - 1);
}

TEST(EditInput, BadFieldsAreErrorsNotCrashesAndAMissingRecordIsTheEnd) {
  std::int32_t integer = 0;
  float single = 0.0f;
  double wide = 0.0;
  using Field = std::pair<std::string_view, const char*>;
  // The last two: an integer item under F, and a width never supplied.
  for (auto [field, format] : {Field{"  1x3", "(I5)"}, {"2147483648", "(I10)"}, {"99999999999999999999999", "(I23)"},
                               {"1.5", "(I5)"}, {std::string_view("  1\0 ", 5), "(I5)"}, {"\xC3\xA9", "(I5)"},
                               {"12", "(F7.2)"}, {"12", "(I^)"}})
    EXPECT_GT(readInternal(field, format, integer), 0) << field;
  for (auto [field, format] : {Field{"1E+99999", "(F12.0)"}, {"1.2.3", "(F7.2)"}, {"E5", "(F7.2)"}, {"1E", "(F7.2)"}})
    EXPECT_GT(readInternal(field, format, wide), 0) << field;
  EXPECT_GT(readInternal("1.E39", "(E12.4)", single), 0);
  EXPECT_EQ(readInternal("1.E39", "(E12.4)", wide), 0);
  // An internal record holds one line; a format that starts over needs a second.
  EXPECT_EQ(readInternal("1", "(I5)", integer, integer), kEndOfFile);
}

}  // namespace
}  // namespace kelm::records
