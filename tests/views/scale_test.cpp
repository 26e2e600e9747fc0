#include <gtest/gtest.h>

#include "source/klplot/plotting/nice_step.h"
#include "source/klplot/plotting/tick_label.h"

namespace kelm::klplot {
namespace {

TEST(NiceStep, VariantsAndBoundaries) {
  struct Case {
    double span;
    StepVariant variant;
    double unit;
    int exponent;
  } cases[] = {
      {0.037, StepVariant::kPanel, 0.5, 2},
      {5.0, StepVariant::kPanel, 0.5, 0},
      {5.01, StepVariant::kPanel, 1.0, 0},
      {10.0, StepVariant::kPanel, 0.25, -1},
      {1.0, StepVariant::kPanel, 0.25, 0},
      {20.1, StepVariant::kZExtents, 0.5, 1},
      {0.3, StepVariant::kZExtents, 0.25, 0},
      {2.0, StepVariant::kField, 0.5, 0},
      {4.99, StepVariant::kField, 0.5, 0},
      {500.0, StepVariant::kField, 1.0, 2},
  };
  for (const Case& c : cases) {
    const NiceStep s = niceStep(c.span, c.variant);
    EXPECT_EQ(s.unit, c.unit) << c.span << " variant " << int(c.variant);
    EXPECT_EQ(s.exponent, c.exponent) << c.span << " variant " << int(c.variant);
  }
}

TEST(NiceStep, NonPositiveOrNonFiniteSpanDoesNotLoop) {
  for (double d : {0.0, -3.0, 1e308 * 10.0}) {
    const NiceStep s = niceStep(d, StepVariant::kPanel);
    EXPECT_EQ(s.unit, 1.0);
    EXPECT_EQ(s.exponent, 0);
  }
}

TEST(TickLabel, FormatFollowsMagnitudeAndWidth) {
  struct Case {
    float v;
    int w;
    std::string_view format;
  } cases[] = {
      // Whole numbers whatever the width; otherwise the fewest decimals, by the width's column.
      {12.0f, 5, "(I^)"},     {-40.0f, 6, "(I^)"},   {7.0f, 7, "(I^)"},     {2.5f, 5, "(F5.1)"},
      {-0.25f, 6, "(F6.2)"},  {0.125f, 8, "(F8.3)"}, {0.7f, 8, "(E8.2)"},   {2.5f, 7, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(tickLabelFormat(c.v, c.w), c.format) << c.v << " width " << c.w;
}

}  // namespace
}  // namespace kelm::klplot
