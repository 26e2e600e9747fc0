// The cathode, field and geometry views on small hand-made projects, through a canvas that
// records every call: what the bundled example's pinned pictures never show (empty data,
// kilogauss labels, the layers toggled off, the other aspect ratio), the texts to the character.
// Then the table of views that the screen, the printer, kelm-export, the fuzz targets and the
// benchmarks loop over: a row added or edited must keep the rows apart and consistent.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "source/klplot/pages/view_table.h"
#include "source/klplot/plotting/tick_label.h"
#include "source/klplot/views/cathode_view.h"
#include "source/klplot/views/display_state.h"
#include "source/klplot/views/field_view.h"
#include "source/klplot/views/geometry_view.h"
#include "source/klplot/project/project_readers.h"
#include "tests/records/recording_port.h"
#include "tests/views/recording_canvas.h"

namespace kelm::klplot {
namespace {

using Log = std::vector<std::string>;

// The lines drawn after the last text: the curve or outline that follows the labels.
int lineCountAfterLastText(const testing::RecordingCanvas& c) {
  int n = 0;
  for (const auto& s : c.log) {
    if (s.starts_with("text")) n = 0;
    if (s.starts_with("line")) ++n;
  }
  return n;
}

std::string colour(std::int32_t rgb) { return std::to_string(rgb); }

class Views : public ::testing::Test {
 protected:
  std::unique_ptr<ProjectData> data = std::make_unique<ProjectData>();
  testing::RecordingCanvas canvas;
  PlotMapping mapping;
  ViewContext view{canvas, mapping, 1016, 1048, 13};  // a device area of 1000 by 500
};

TEST_F(Views, CathodeWithoutTrajectoriesShowsTheDefaultAxes) {
  data->trajCount = 0;
  drawCathodeView(view, *data);
  // 0..10 both ways: five y ticks all labelled, six x ticks of which only the odd ones.
  EXPECT_EQ(canvas.texts(), (Log{"Current density on cathode (A/mm**2)", "  .0000 ", " 2.5000 ", " 5.0000 ",
                                " 7.5000 ", "10.0000 ", "    .0  ", "   5.0  ", "  10.0  ", "R(mm)"}));
  EXPECT_EQ(canvas.calls("line").size(), 11u);  // the grid only
  EXPECT_TRUE(canvas.calls("rect").empty());
}

class FieldView : public Views {
 protected:
  void table(const std::vector<std::pair<float, float>>& samples) {
    int n = 0;
    for (auto [z, b] : samples) {
      ++n;
      data->magZ(n) = z;
      data->magB(n) = b;
    }
    data->magCount = n;
    data->zAxisMinF = 0.0f;
    data->zAxisMaxF = 40.0f;
    data->zTickStep = 10.0f;
  }
};

TEST_F(FieldView, KilogaussLabelsAndACurveThatEndsBeforeASampleBeyondTheAxis) {
  // Kilogauss only beyond 9999 G either way; 5000 G still fits F6.0. The sample beyond the
  // axis ends the curve before it: one line from the first two.
  table({{0, -15000}, {20, 15000}, {45, 0}});
  drawFieldView(view, *data);
  const Log shown = canvas.texts();
  ASSERT_GE(shown.size(), 7u);
  EXPECT_EQ(Log(shown.begin() + 7, shown.end()),
            (Log{" -15K   ", " -10K   ", "-5000.  ", "  .0    ", " 5000.  ", "  10K   ", "  15K   "}));
  EXPECT_EQ(lineCountAfterLastText(canvas), 1);
}

TEST_F(FieldView, AnEmptyTableDrawsNothingButStillReturnsItsFrame) {
  table({});
  const AxialFrame frame = drawFieldView(view, *data);
  EXPECT_TRUE(canvas.log.empty());
  EXPECT_LT(frame.left, frame.right);
  EXPECT_EQ(frame.zEnd, 40.0);
}

class GeometryView : public Views {
 protected:
  void SetUp() override {
    data->rAxisMin = 0.0, data->rAxisMax = 10.0;
    data->zAxisMin = 0.0, data->zAxisMax = 40.0;
    data->zAxisMinF = 0.0f, data->zAxisMaxF = 40.0f, data->zTickStep = 10.0f;
    for (int j = 1; j <= 6; ++j) data->geomZ(j) = 5.0f * float(j), data->geomR(j) = 1.0f + float(j);
    data->geomSegCount = 1;
    data->geomSegFirst(1) = 1;
    data->geomSegLast(1) = 6;
  }
};

TEST_F(GeometryView, TogglesAndZeroCurrentTrajectories) {
  data->trajCount = 2;
  for (int i = 1; i <= 2; ++i) {
    data->trajZ(i, 1) = 0.0, data->trajR(i, 1) = i;
    data->trajZ(i, 2) = 30.0, data->trajR(i, 2) = i;
    data->trajNext(i) = 3;
  }
  data->trajCurrent(1) = 0.0;  // not drawn
  data->trajCurrent(2) = 0.5;
  data->potLineCount = 1;
  data->potFirst(1) = 1;
  data->potPointCount(1) = 3;
  for (int m = 1; m <= 3; ++m) data->potZ(m) = 10.0f * float(m), data->potR(m) = 2.0f;

  drawGeometryView(view, *data, GeometryToggles{true, true});
  const Log colours = canvas.calls("colour");
  EXPECT_EQ(std::count(colours.begin(), colours.end(), colour(kGreen)), 1);
  EXPECT_EQ(std::count(colours.begin(), colours.end(), colour(kPurple)), 1);
  EXPECT_EQ(colours.back(), colour(kBlack));
  // Axis 6, outline 10 + 2, one trajectory and its mirror 2, two potential steps mirrored 4.
  EXPECT_EQ(canvas.calls("line").size(), 24u);

  canvas.log.clear();
  drawGeometryView(view, *data, GeometryToggles{false, false});
  EXPECT_EQ(canvas.calls("line").size(), 18u);
  EXPECT_EQ(canvas.calls("colour").back(), colour(kCyan));
}

TEST_F(GeometryView, AspectRatioDecidesWhichSideHasRoomToSpare) {
  // A long flat gun on a wide screen: the height has room, the width is used in full.
  AxialFrame frame = drawGeometryView(view, *data, GeometryToggles{});
  EXPECT_EQ(frame.right, 0.95f);
  EXPECT_LT(frame.top, 1.0f);
  // A tall narrow one: the height is used in full.
  data->rAxisMax = 200.0;
  frame = drawGeometryView(view, *data, GeometryToggles{});
  EXPECT_LT(frame.right, 0.95f);
  EXPECT_EQ(frame.top, 1.0f);
  // zAxisMin = -25 with a span of 40 puts the window's left edge at -20.
  data->zAxisMin = -25.0, data->zAxisMax = 15.0;
  frame = drawGeometryView(view, *data, GeometryToggles{});
  EXPECT_EQ(frame.zStart, -20.0);
  EXPECT_EQ(frame.zEnd, 15.0);
}

TEST_F(GeometryView, AZoomShowsItsRangeAtOneScaleAndBlanksTheMargins) {
  const AxialFrame whole = drawGeometryView(view, *data, GeometryToggles{});
  const Log unzoomed = canvas.log;
  canvas.log.clear();
  PlotMapping zoomedMapping;
  const ViewContext zoomedView{canvas, zoomedMapping, 1016, 1048, 13, AxialZoom{10.0, 20.0, 2.0}};
  const AxialFrame frame = drawGeometryView(zoomedView, *data, GeometryToggles{});
  EXPECT_EQ(frame.zStart, 10.0);
  EXPECT_EQ(frame.zEnd, 20.0);
  // 10 mm over 900 columns, so 425 rows hold 4.72 mm, centred on r = 2.
  EXPECT_NEAR(frame.valueHigh - frame.valueLow, 10.0 * 425.0 / 900.0, 1e-9);
  EXPECT_NEAR(frame.valueAt(212), 2.0, 0.03);
  // Left, right and bottom margins go white, then the axis: ticks every 2.5 mm from 10.
  EXPECT_EQ(canvas.calls("rect").size(), 3u);
  EXPECT_EQ(canvas.texts(), (Log{"10", "12.5", "15", "17.5", "20"}));
  // No zoom draws exactly what it drew before.
  canvas.log.clear();
  EXPECT_EQ(drawGeometryView(view, *data, GeometryToggles{}).zEnd, whole.zEnd);
  EXPECT_EQ(canvas.log, unzoomed);
}

TEST_F(FieldView, AZoomShowsTheBeamWindowsRangeWithRoundTicks) {
  table({{0, 100}, {10, 200}, {20, 300}, {30, 400}, {40, 500}});
  const ViewContext zoomedView{canvas, mapping, 1016, 1048, 13, AxialZoom{12.5, 27.5, 0.0}};
  const AxialFrame frame = drawFieldView(zoomedView, *data);
  EXPECT_EQ(frame.zStart, 12.5);
  EXPECT_EQ(frame.zEnd, 27.5);
  const Log shown = canvas.texts();
  ASSERT_GE(shown.size(), 5u);
  // The title, then z labels on whole steps of 2.5 inside the range only.
  EXPECT_EQ(Log(shown.begin() + 1, shown.begin() + 5), (Log{"  12.5  ", "    15  ", "  17.5  ", "    20  "}));
}

TEST(TickLabel, PlainStyleNeverTakesTheViewsExponentForm) {
  const std::pair<float, std::string_view> cases[] = {
      {0.7f, "     0.7"},   {-0.25f, "   -0.25"},  {12.0f, "      12"},    {0.001f, "   0.001"},
      {7e-5f, "  7.0e-5"},  {-1.25e-7f, "-1.25e-7"}, {2.5e7f, "   2.5e7"},   {0.0f, "       0"},
      {123456.5f, "123456.5"}, {1.0f / 3.0f, "0.333333"},  // the closest that fits
  };
  for (const auto& [v, expected] : cases) {
    char text[8];
    tickLabel(v, text, 8, TickStyle::kPlain);
    EXPECT_EQ(std::string_view(text, 8), expected) << v;
  }
}

// On the examples as drawn, where the window's shape leaves room beside or above the gun, the
// first notch of the wheel and the next keep the pointer's z and r and magnify by 1.25.
TEST(ExampleZoom, TheDrawnViewKeepsThePointersZAndR) {
  const std::filesystem::path home = std::filesystem::current_path();
  kelm::testing::RecordingPort port;
  testing::RecordingCanvas canvas;
  PlotMapping mapping;
  for (const char* example : {"simple", "spherical-diode"}) {
    std::filesystem::current_path(std::filesystem::path(KELM_EXAMPLES_DIR) / example);
    loadProjectFiles(projectData);
    AxialFrame drawn = drawGeometryView({canvas, mapping, 1016, 900, 13}, projectData, {});
    const ZRange extent = zoomExtent(wholeGunFrame(drawn.plotWidth, drawn.plotHeight, projectData));
    for (int notch = 0; notch < 2; ++notch) {
      const AxialZoom zoom = zoomAbout(drawn, ZoomWindow::beam, extent, 300, 150, 0.8);
      const AxialFrame after = drawGeometryView({canvas, mapping, 1016, 900, 13, zoom}, projectData, {});
      EXPECT_NEAR(after.zAt(300), drawn.zAt(300), 1e-3 * (drawn.zEnd - drawn.zStart)) << example << notch;
      EXPECT_NEAR(after.valueAt(150), drawn.valueAt(150), 1e-3 * (drawn.valueHigh - drawn.valueLow)) << example;
      const auto mmPerColumn = [](const AxialFrame& f) { return (f.zEnd - f.zStart) / (double(f.right) - f.left); };
      EXPECT_NEAR(mmPerColumn(after), 0.8 * mmPerColumn(drawn), 1e-6 * mmPerColumn(drawn)) << example;
      EXPECT_TRUE(zoom.zStart >= extent.start && zoom.zEnd <= extent.end) << example;
      drawn = after;
    }
  }
  std::filesystem::current_path(home);
}

TEST(ViewTable, RowsHaveTheirOwnUnitTitlePictureAndPrintItemInOneMenuOrder) {
  std::set<int> units, printOrders;
  std::set<std::string> titles, pictures, printItems;
  for (const ViewRow& view : viewRows()) {
    units.insert(view.unit);
    titles.insert(view.title);
    pictures.insert(view.pictureName);
    printItems.insert(view.printMenuText);
    printOrders.insert(view.printOrder);
    EXPECT_EQ(viewRowOfUnit(view.unit), &view) << view.title;
  }
  for (std::size_t distinct : {units.size(), titles.size(), pictures.size(), printItems.size(), printOrders.size()})
    EXPECT_EQ(distinct, std::size_t(kViewCount));
  // The print items take the places 1..N of the File menu's print section, each once.
  EXPECT_EQ(*printOrders.begin(), 1);
  EXPECT_EQ(*printOrders.rbegin(), kViewCount);
  EXPECT_TRUE(std::ranges::is_sorted(printedViewRows(), {}, &ViewRow::printOrder));
  EXPECT_EQ(viewRowOfUnit(0), nullptr);
  EXPECT_EQ(viewRowOfUnit(kFieldUnit + 1), nullptr);
}

TEST(ViewTable, AViewWithAMarkerSlotReturnsItsColumnAndNoOtherDoes) {
  auto data = std::make_unique<ProjectData>();
  for (const ViewRow& view : viewRows()) {
    testing::RecordingCanvas canvas;
    PlotMapping mapping;
    const ViewDrawn drawn = view.draw(ViewContext{canvas, mapping, 1016, 1048, 13}, *data, ViewInputs{});
    EXPECT_EQ(drawn.markerColumn.has_value(), view.marker != MarkerSlot::none) << view.title;
    const ViewPlacement at = view.placement(1600, 1000);
    EXPECT_GT(at.width, 0) << view.title;
    EXPECT_LE(at.x + at.width, 1600) << view.title;
    EXPECT_LE(at.y + at.height, 1000) << view.title;
  }
}

}  // namespace
}  // namespace kelm::klplot
