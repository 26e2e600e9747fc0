// Formatted output, checked character by character against hand-edited fields.
#include <gtest/gtest.h>

#include <array>
#include <cfloat>
#include <string>

#include "records/formatted.h"

namespace kelm::records {
namespace {

template <class Value>
std::string edited(std::string_view format, Value value) {
  std::array<char, 40> record{};
  const int status = writeInternal(record, format, value);
  EXPECT_EQ(status, 0) << format;
  return std::string(trimRight(std::string_view(record.data(), record.size())));
}

struct RealCase {
  const char* format;
  double value;
  const char* expected;
};

TEST(EditOutput, RealFieldsMatchHandEditedText) {
  const RealCase cases[] = {
      {"(F7.4)", 0.5, "  .5000"},     {"(F4.0)", 0.3, "  0."},          {"(F6.0)", 0.4, "    0."},
      {"(F6.0)", -2.6, "   -3."},     {"(F6.2)", -0.001, "   .00"},     {"(F8.3)", -0.0, "    .000"},
      {"(F7.2)", 99.996, " 100.00"},  {"(F7.2)", 1234.5, "1234.50"},    {"(F5.1)", 1e10, "*****"},
      {"(F6.1)", -99.95, "-100.0"},   {"(F10.2)", 150.0, "    150.00"}, {"(F12.4)", 0.00005, "       .0001"},
      {"(E8.2)", 12.5, " .13E+02"},   {"(E5.1)", 1.0, "*****"},         {"(E5.1)", 0.0, "*****"},
      {"(E6.1)", 0.0, ".0E+00"},      {"(E8.2)", -0.0049, "-.49E-02"},  {"(E8.2)", 0.996, " .10E+01"},
      {"(E10.3)", 1e-120, "  .100-119"}, {"(E10.3)", 2.5e200, "  .250+201"},
      {"(G8.2)", 0.05, " .50E-01"},   {"(G8.2)", 12.5, " 13."},         {"(G8.2)", 1234.5, " .12E+04"},
      {"(G8.2)", 0.0, " .00"},        {"(G8.2)", 0.5, " .50"},
      // Half away from zero on the exact binary value: 0.125 and 2.5 are exact ties, 0.145 lies
      // just below its decimal text, 2^-20 ties at its fourteenth digit.
      {"(F4.2)", 0.125, " .13"},      {"(F4.2)", -0.125, "-.13"},       {"(F3.0)", 2.5, " 3."},
      {"(F3.0)", 3.5, " 4."},         {"(F4.2)", 0.145, " .14"},
      {"(E20.13)", 0x1p-20, "  .9536743164063E-06"}, {"(E10.3)", 0x1p-1074, "  .494-323"},
      {"(F24.1)", 0x1p70, "1180591620717411303424.0"},
  };
  for (const RealCase& c : cases) {
    EXPECT_EQ(edited(c.format, c.value), c.expected) << c.format << " " << c.value;
  }
  EXPECT_EQ(edited("(F5.3)", 1.0005f), "1.000");  // the float lies below 1.0005
}

TEST(EditOutput, IntegersLiteralsRunTimeWidthsAndBlanksKept) {
  EXPECT_EQ(edited("(I4,'K')", 12), "  12K");
  EXPECT_EQ(edited("(I4,'K')", 12345), "****K");
  EXPECT_EQ(edited("(I4,'K')", -999), "-999K");
  EXPECT_EQ(edited("(I3)", -100), "***");
  EXPECT_EQ(edited("('N = ',I3,' K ')", 7), "N =   7 K");  // blanks in literals are text
  EXPECT_EQ(edited("('t''Arial''h',I2,'''b')", 16), "t'Arial'h16'b");

  std::array<char, 6> record{};
  ASSERT_EQ(writeInternal(record, "(I^)", RunTimeWidth{4}, 42), 0);
  EXPECT_EQ(std::string_view(record.data(), 6), "  42  ");
  std::array<char, 8> general{};  // G keeps its four trailing blanks
  ASSERT_EQ(writeInternal(general, "(G8.2)", 12.5f), 0);
  EXPECT_EQ(std::string_view(general.data(), 8), " 13.    ");
}

TEST(EditOutput, InternalWriteNeverOverrunsItsDestination) {
  std::array<char, 12> memory;
  memory.fill('#');
  const std::span<char> record(memory.data() + 2, 8);
  EXPECT_GT(writeInternal(record, "(F12.4)", 1.0), 0);
  EXPECT_EQ(std::string_view(memory.data(), 2), "##");
  EXPECT_EQ(std::string_view(memory.data() + 10, 2), "##");
  // A second record does not fit a character variable either.
  EXPECT_GT(writeInternal(record, "(I2)", 1, 2), 0);
}

TEST(EditOutput, BadFormatsAndMismatchedItemsAreErrors) {
  std::array<char, 8> record{};
  for (const char* format : {"I5", "(I5", "(Q5)", "(F7)", "(I5,)", "('abc)", "(F7.2) x", "(0I5)"}) {
    EXPECT_GT(writeInternal(record, format, 1), 0) << format;
  }
  EXPECT_GT(writeInternal(record, "(I^)", 5), 0);             // no width supplied
  EXPECT_GT(writeInternal(record, "(I^)", RunTimeWidth{0}, 5), 0);
  EXPECT_GT(writeInternal(record, "(F7.2)", 5), 0);           // integer under F
  EXPECT_GT(writeInternal(record, "(I5)", 5.0f), 0);          // real under I
  EXPECT_GT(writeInternal(record, "('only text')", 5), 0);    // no descriptor for the item
  EXPECT_GT(writeInternal(record, "(I5)", "text"), 0);
}

TEST(EditOutput, ListDirectedInternalWriteReadsBackExactly) {
  const auto roundTrip = [](auto value) {
    std::array<char, 80> record{};
    ASSERT_EQ(writeListInternal(record, value), 0);
    EXPECT_EQ(record[0], ' ');
    EXPECT_EQ(record[79], ' ');
    auto back = decltype(value)(value == 0 ? 7 : 0);
    ASSERT_EQ(readListInternal(std::string_view(record.data(), 80), back), 0);
    EXPECT_EQ(back, value);
  };
  for (float value : {0.1f, 150.0f, -3.25e-7f, FLT_MAX, -FLT_MIN, 1e-45f, 0.0f, 123456.79f}) roundTrip(value);
  for (std::int32_t value : {0, 1, -1, 2147483647, -2147483647 - 1}) roundTrip(value);
}

}  // namespace
}  // namespace kelm::records
