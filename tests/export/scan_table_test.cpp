// The summary of a scan as --scan-plot reads it: which columns it may plot, which rows it
// leaves out, how the lines are grouped, and axes that hold any values, drawn with the traps on.
#include <gtest/gtest.h>

#include <cmath>

#include "fuzz/klplot/counting_canvas.h"
#include "source/export/scan_plot_view.h"
#include "source/export/scan_table.h"
#include "tests/views/program_thread.h"

namespace kelm::exporting {
namespace {

constexpr const char* kHeader =
    "directory,anode_z,volts,status,geom_dat,voltage [V],perveance [uP],energy_source,r_rms [mm]\n";

ScanTable tableOf(const std::string& rows) {
  ScanTable table;
  std::string why;
  EXPECT_TRUE(readScanTable(kHeader + rows, table, why)) << why;
  return table;
}

TEST(ScanTable, ColumnsAreFoundByNameOrWithoutTheirUnitAndOnlyOfTheirKind) {
  const ScanTable table = tableOf("");
  struct Case {
    const char* name;
    ColumnKind kind;
    int column;  // -1: refused
    const char* says;
  } cases[] = {
      {"anode_z", ColumnKind::kParameter, 1, ""},
      {"volts", ColumnKind::kParameter, 2, ""},
      {"perveance", ColumnKind::kFigure, 6, ""},
      {"perveance [uP]", ColumnKind::kFigure, 6, ""},
      {"r_rms", ColumnKind::kFigure, 8, ""},
      {"anode_z", ColumnKind::kFigure, -1, "\"anode_z\" is not a figure column of the summary; its figure "
                                           "columns: voltage [V], perveance [uP], r_rms [mm]"},
      {"perveance", ColumnKind::kParameter, -1, "its parameter columns: anode_z, volts"},
      {"status", ColumnKind::kFigure, -1, "\"status\" is not a figure column"},
      {"geom_dat", ColumnKind::kFigure, -1, "not a figure column"},
      {"energy_source", ColumnKind::kFigure, -1, "not a figure column"},
      {"directory", ColumnKind::kParameter, -1, "not a parameter column"},
      {"perveance [A]", ColumnKind::kFigure, -1, "is no column"},
      {"perveance", ColumnKind::kEither, 6, ""},
      {"volts", ColumnKind::kEither, 2, ""},
      {"energy_source", ColumnKind::kEither, -1, "not a parameter or figure column"},
  };
  for (const Case& c : cases) {
    std::string why;
    const auto column = findColumn(table, c.name, c.kind, why);
    EXPECT_EQ(column ? int(*column) : -1, c.column) << c.name;
    EXPECT_NE(why.find(c.says), std::string::npos) << c.name << ": " << why;
  }
}

TEST(ScanTable, FailedRowsAndRowsWithoutNumbersAreLeftOutAndCounted) {
  const ScanTable table = tableOf(
      "p1,30,1e4,solved,loaded,1e4,1.5,,\n"
      "p2,28,1e4,solved,loaded,1e4,1.75,,\n"
      "p3,32,1e4,failed: net did not converge,loaded,1e4,9,,\n"
      "p4,34,1e4,not solved,,,,,\n"
      "p5,36,1e4,solved,loaded,1e4,nan,,\n"
      "p6,38,1e4,solved,loaded,1e4,2e37,,\n"
      "p7,abc,1e4,solved,loaded,1e4,1,,\n"
      "p8,40,1e4,solved\r\n"
      "\n"
      "p9,42,1e4,solved,loaded,1e4,+1.25,,\r\n");
  const ScanSeries s = scanSeries(table, 1, 6, std::nullopt);
  EXPECT_EQ(s.failed, 1u);
  EXPECT_EQ(s.unusable, 5u);
  ASSERT_EQ(s.lines.size(), 1u);
  std::vector<std::pair<double, double>> points;
  for (const ScanPoint& p : s.lines[0].points) points.emplace_back(p.x, p.y);
  EXPECT_EQ(points, (std::vector<std::pair<double, double>>{{28, 1.75}, {30, 1.5}, {42, 1.25}}));
  // A figure against a figure: the rows as they come, each named by its directory.
  const ScanSeries scatter = scanSeries(table, 5, 6, std::nullopt);
  EXPECT_TRUE(scatter.scatter && !s.scatter);
  std::vector<std::string> labels;
  for (const ScanPoint& p : scatter.lines.at(0).points) labels.push_back(p.label);
  EXPECT_EQ(labels, (std::vector<std::string>{"p1", "p2", "p7", "p9"}));
}

TEST(ScanTable, GroupsMakeOneLinePerValueInIncreasingOrder) {
  const ScanTable table = tableOf(
      "p1,28,20000,solved,,,2,,\n"
      "p2,28,5000,solved,,,1,,\n"
      "p3,30,20000,solved,,,3,,\n"
      "p4,30,,solved,,,3,,\n"
      "p5,30,5000,solved,,,4,,\n");
  const ScanSeries s = scanSeries(table, 1, 6, 2);
  EXPECT_EQ(s.unusable, 1u);  // the row without a group value
  ASSERT_EQ(s.lines.size(), 2u);
  EXPECT_EQ(s.lines[0].group, "5000");
  EXPECT_EQ(s.lines[1].group, "20000");
  EXPECT_EQ(s.lines[0].points.size(), 2u);
  EXPECT_EQ(s.lines[1].points[1].y, 3.0);
  // Values that are not all numbers keep the order the scan has them in.
  const ScanTable named = tableOf("p1,28,b,solved,,,2,,\np2,28,a,solved,,,1,,\n");
  const ScanSeries n = scanSeries(named, 1, 6, 2);
  ASSERT_EQ(n.lines.size(), 2u);
  EXPECT_EQ(n.lines[0].group, "b");
}

TEST(ScanAxis, RoundsOutToTheViewsNiceStepsAndWidensWhatHasNoWidth) {
  struct Case {
    double low, high, y0, y1, step;
  } cases[] = {
      {28, 34, 28, 34, 1},           // span 6: unit 1
      {1.02, 1.68, 1.0, 1.7, 0.1},   // span 0.66
      {28, 28, 25, 31, 1},           // all alike: a tenth of the value either side
      {0, 0, -1, 1, 0.5},            // all zero: -1 to 1
      {-3, -3, -3.3, -2.7, 0.1},
      {1e-31, 2e-31, -1, 1, 0.5},    // too narrow for single precision
      {1e37, 1e37, 0.9e37, 1.1e37, 0.05e37},
  };
  for (const Case& c : cases) {
    const klplot::ValueAxis axis = scanAxis(c.low, c.high);
    EXPECT_NEAR(axis.y0, c.y0, 1e-9 * std::fabs(c.y0) + 1e-12) << c.low << " " << c.high;
    EXPECT_NEAR(axis.y1, c.y1, 1e-9 * std::fabs(c.y1) + 1e-12) << c.low << " " << c.high;
    EXPECT_NEAR(axis.step, c.step, 1e-9 * c.step) << c.low << " " << c.high;
  }
}

TEST(ScanPlotDrawing, AnyValuesDrawWithTheTrapsOnAndEndInFewCalls) {
  const std::vector<std::vector<ScanPoint>> cases{
      {{5, 3e36}, {5, 3e36}},
      {{-1e37, -1e37}, {1e37, 1e37}, {0, 1e-300}},
      {{0, 0}},
      {{1, 1}, {1 + 1e-15, 1 - 1e-15}},
      {{-4.9e-324, 4.9e-324}, {0, 0}},
  };
  for (const auto& points : cases) {
    ScanSeries series;
    series.lines = {{"a", points}, {"b", points}};
    // Scatters with each point named among them.
    series.scatter = points.size() == 2;
    klplot::fuzzing::CountingCanvas canvas;
    klplot::PlotMapping mapping;
    kelm::testing::onProgramThread([&] {
      drawScanPlot({canvas, mapping, 1920, 1080, 16}, series, {"x", "y", "g", series.scatter});
    });
    EXPECT_GT(canvas.calls, 20);
    EXPECT_LT(canvas.calls, 2000);
  }
}

}  // namespace
}  // namespace kelm::exporting
