// The solver's reading of a field table (a mag.dat or free columns): a table that cannot
// describe the field along the gun is refused at the line at fault, rather than giving no field
// or a coarser one.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "source/solver/beam/magnetic_field_file.h"

namespace kelm::solver {
namespace {

// Samples (z in mm, B in gauss) as the display writes them.
std::string magDat(const std::vector<std::pair<double, double>>& samples) {
  char line[64];
  std::snprintf(line, sizeof line, "N= %6zu\n", samples.size());
  std::string text = line;
  for (const auto& [z, b] : samples) {
    std::snprintf(line, sizeof line, "Z= %12.4E B= %12.4E\n", z, b);
    text += line;
  }
  return text;
}

// 0 → 1000 G straight along the gun in 1 mm samples, and one more sample at 1e9 mm.
std::string rise() {
  std::vector<std::pair<double, double>> samples;
  for (int z = 0; z <= 60; ++z) samples.push_back({z, 1000.0 * z / 60});
  samples.push_back({1e9, 1000});
  return magDat(samples);
}

struct TableCase {
  const char* name;
  std::string text;
  const char* error;  // the start of the message, or nullptr when taken
};

class FieldTable : public ::testing::TestWithParam<TableCase> {};

TEST_P(FieldTable, ForAGunFrom0To60mmIsTakenOrRefusedAtTheLineAtFault) {
  AxialMagneticField field;
  std::string error;
  const bool taken = readMagneticField(GetParam().text, 0, 0.06, 1.25e-4, field, error);
  if (GetParam().error) {
    EXPECT_FALSE(taken);
    EXPECT_EQ(error.rfind(GetParam().error, 0), 0u) << error;
    return;
  }
  ASSERT_TRUE(taken) << error;
  EXPECT_NEAR(field.at(0.03).b_T, 0.05, 1e-8);  // 500 G mid-gun, whatever lies beyond
}

INSTANTIATE_TEST_SUITE_P(
    , FieldTable,
    ::testing::Values(TableCase{"UniformOverTheGun", magDat({{0, 500}, {60, 500}}), nullptr},
                      TableCase{"FarSampleBeyondTheGun", rise(), nullptr},
                      TableCase{"FreeColumnsAndComments", "# z [mm]  B [G]\n\n0 500\n  3.0e1,\t5.0000E+02\n60. +500 # end\n", nullptr},
                      TableCase{"OneSample", magDat({{30, 500}}), "1 samples"},
                      TableCase{"TwoCloseSamples", magDat({{0, 500}, {0.1, 500}}), "line 3: the table ends at 0.1 mm"},
                      TableCase{"StartsInsideTheGun", magDat({{20, 500}, {70, 0}}), "line 2: the table ends at 20 mm"},
                      TableCase{"SpacingBeyondTheGun", magDat({{-1e9, 500}, {1e9, 500}}), "line 3: 2e+09 mm after"},
                      TableCase{"OutsideTheGun", magDat({{100, 0}, {200, 0}}), "line 2: the samples run from 100 mm"},
                      TableCase{"ThreeNumbersOnALine", "0 500\n30 500 7\n60 500\n", "line 2 is not a sample"}),
    [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace kelm::solver
