// The four views on small hand-made projects, through a canvas that records every call: the
// texts to the character (labels are internal writes), the colours in their order, mirrored
// lines, and what each view does with degenerate data.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "source/klplot/cathode_view.h"
#include "source/klplot/display_state.h"
#include "source/klplot/field_view.h"
#include "source/klplot/geometry_view.h"
#include "source/klplot/phase_plane_view.h"
#include "tests/views/recording_canvas.h"

namespace kelm::klplot {
namespace {

using Log = std::vector<std::string>;

Log entries(const testing::RecordingCanvas& c, std::string_view kind) {
  Log out;
  for (const auto& s : c.log) {
    if (s.rfind(kind, 0) == 0) out.push_back(s.substr(kind.size()));
  }
  return out;
}

Log texts(const testing::RecordingCanvas& c) {
  Log out;
  for (auto& t : entries(c, "text '")) out.push_back(t.substr(0, t.size() - 1));
  return out;
}

int lineCountAfterLastText(const testing::RecordingCanvas& c) {
  int n = 0;
  for (const auto& s : c.log) {
    if (s.rfind("text", 0) == 0) n = 0;
    if (s.rfind("line", 0) == 0) ++n;
  }
  return n;
}

std::string colour(std::int32_t rgb) { return std::to_string(rgb); }

class Views : public ::testing::Test {
 protected:
  std::unique_ptr<ProjectData> data = std::make_unique<ProjectData>();
  testing::RecordingCanvas canvas;
  ViewContext view{canvas, 1016, 1048, 13};  // a device area of 1000 by 500
};

TEST_F(Views, CathodeWithoutTrajectoriesShowsTheDefaultAxes) {
  data->trajCount = 0;
  drawCathodeView(view, *data);
  // 0..10 both ways: five y ticks all labelled, six x ticks of which only the odd ones.
  EXPECT_EQ(texts(canvas), (Log{"Current density on cathode (A/mm**2)", "  .0000 ", " 2.5000 ", " 5.0000 ",
                                " 7.5000 ", "10.0000 ", "    .0  ", "   5.0  ", "  10.0  ", "R(mm)"}));
  EXPECT_EQ(entries(canvas, "line ").size(), 11u);  // the grid only
  EXPECT_TRUE(entries(canvas, "rect ").empty());
}

TEST_F(Views, PhasePlaneFiguresOfTwoCrossings) {
  // 1 A each, crossing z = 5 at 1 and 2 mm with slopes 0.02 and 0.01.
  data->trajCount = 2;
  const double radius[2] = {1.0, 2.0}, slope[2] = {0.02, 0.01};
  for (int i = 1; i <= 2; ++i) {
    data->trajZ(i, 1) = 4.0, data->trajR(i, 1) = radius[i - 1] - slope[i - 1];
    data->trajZ(i, 2) = 6.0, data->trajR(i, 2) = radius[i - 1] + slope[i - 1];
    data->trajNext(i) = 3;
    data->trajCurrent(i) = 1.0;
  }
  drawPhasePlaneView(view, *data, PhasePlaneInput{5.0f, 0.0, 10});
  const Log shown = texts(canvas);
  ASSERT_GE(shown.size(), 7u);
  EXPECT_EQ(Log(shown.begin(), shown.begin() + 7),
            (Log{"Phase plane", "Current density (A/mm**2)", "Rmax =    2.00 mm", "Zcross =    5.0  mm",
                 "Current =    2.00 A", "Emittance =   .0600 mm*rad", "Magnetic field =        .0000    Gs"}));
  // Two dots in the left panel; the histogram is red and the colour is given back afterwards.
  EXPECT_EQ(entries(canvas, "rect ").size(), 2u);
  const Log colours = entries(canvas, "colour ");
  ASSERT_FALSE(colours.empty());
  EXPECT_NE(std::find(colours.begin(), colours.end(), colour(kRed)), colours.end());
  EXPECT_EQ(colours.back(), colour(kBlack));
}

TEST_F(Views, PhasePlaneWithNothingCrossingShowsZeros) {
  data->trajCount = 1;
  data->trajZ(1, 1) = 10.0, data->trajZ(1, 2) = 20.0;
  data->trajNext(1) = 3;
  data->trajCurrent(1) = 1.0;
  drawPhasePlaneView(view, *data, PhasePlaneInput{5.0f, 1234.5, 10});
  const Log shown = texts(canvas);
  ASSERT_GE(shown.size(), 7u);
  EXPECT_EQ(shown[2], "Rmax =     .00 mm");
  EXPECT_EQ(shown[4], "Current =     .00 A");
  EXPECT_EQ(shown[5], "Emittance =   .0000 mm*rad");
  EXPECT_EQ(shown[6], "Magnetic field =    1234.5000    Gs");
}

class FieldView : public Views {
 protected:
  void table(std::initializer_list<std::pair<float, float>> samples) {
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

TEST_F(FieldView, LabelsFollowTheMagnitudeOfTheField) {
  table({{0, 0}, {10, 300}, {20, 1200}, {30, 600}, {40, 0}});
  drawFieldView(view, *data);
  // 0..1200 G: step 250, axis 0..1250; 0 in F4.1, the rest in F6.0.
  EXPECT_EQ(texts(canvas), (Log{"Magnetic field, Gs", "     0  ", "    10  ", "    20  ", "    30  ", "    40  ",
                                "Z(mm)", "  .0    ", "  250.  ", "  500.  ", "  750.  ", " 1000.  ", " 1250.  "}));
  // No sample lies beyond the axis, so the curve runs to the last one.
  EXPECT_EQ(lineCountAfterLastText(canvas), 4);
}

TEST_F(FieldView, ThousandsOfGaussAreWrittenInKilogauss) {
  table({{0, -15000}, {20, 15000}, {45, 0}});
  drawFieldView(view, *data);
  const Log shown = texts(canvas);
  const Log bLabels(shown.begin() + 7, shown.end());
  // Kilogauss only beyond 9999 G either way; 5000 G still fits F6.0.
  EXPECT_EQ(bLabels, (Log{" -15K   ", " -10K   ", "-5000.  ", "  .0    ", " 5000.  ", "  10K   ", "  15K   "}));
  // The sample beyond the axis ends the curve before it: one line from the first two.
  EXPECT_EQ(lineCountAfterLastText(canvas), 1);
}

TEST_F(FieldView, AnEmptyTableDrawsNothingButStillPublishesTheViewport) {
  data->magCount = 0;
  displayState.gL.store(0.0f);
  drawFieldView(view, *data);
  EXPECT_TRUE(canvas.log.empty());
  EXPECT_EQ(displayState.gL.load(), 0.1f);
}

class GeometryView : public Views {
 protected:
  void SetUp() override {
    data->rAxisMin = 0.0, data->rAxisMax = 10.0;
    data->zAxisMin = 0.0, data->zAxisMax = 40.0;
    data->zAxisMinF = 0.0f, data->zAxisMaxF = 40.0f, data->zTickStep = 10.0f;
    const int codes[6] = {0, 0, 5, 3, 0, 1};
    for (int j = 1; j <= 6; ++j) {
      data->geomCode(j) = codes[j - 1];
      data->geomZ(j) = 5.0f * j;
      data->geomR(j) = 1.0f + j;
    }
    data->geomSegCount = 1;
    data->geomSegFirst(1) = 1;
    data->geomSegLast(1) = 6;
  }
};

TEST_F(GeometryView, OutlineColoursByCodeAndEveryLineIsMirrored) {
  drawGeometryView(view, *data, GeometryToggles{false, false});
  // Codes 0 0 5 3 0 1: only the 5-3 line joins two non-zero codes; then the cyan closing line.
  const Log colours = entries(canvas, "colour ");
  EXPECT_EQ(colours, (Log{colour(kCyan), colour(kCyan), colour(kNavy), colour(kCyan), colour(kCyan),
                          colour(kCyan)}));
  // Straight lines as (from, to) pixels; after the axis (5 ticks and the axis line) they come
  // in pairs of a line and its mirror about r = 0.
  struct Segment {
    int x1, y1, x2, y2;
  };
  std::vector<Segment> segments;
  for (std::size_t i = 1; i < canvas.log.size(); ++i) {
    int x1, y1, x2, y2;
    if (std::sscanf(canvas.log[i - 1].c_str(), "move %d,%d", &x1, &y1) == 2 &&
        std::sscanf(canvas.log[i].c_str(), "line %d,%d", &x2, &y2) == 2) {
      segments.push_back({x1, y1, x2, y2});
    }
  }
  ASSERT_EQ(segments.size(), 6u + 10u + 2u);
  const Segment& axis = segments[5];
  EXPECT_EQ(axis.y1, axis.y2);
  const int twiceAxis = segments[6].y1 + segments[7].y1;
  for (std::size_t k = 6; k < 16; k += 2) {
    const Segment &upper = segments[k], &mirror = segments[k + 1];
    EXPECT_EQ(upper.x1, mirror.x1);
    EXPECT_EQ(upper.x2, mirror.x2);
    EXPECT_LT(upper.y1, mirror.y1);  // the upper half first
    // Both halves lie the same distance from the axis r = 0, within a truncated pixel.
    EXPECT_NEAR(upper.y1 + mirror.y1, twiceAxis, 1);
    EXPECT_NEAR(upper.y2 + mirror.y2, twiceAxis, 1);
  }
}

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
  for (int m = 1; m <= 3; ++m) data->potZ(m) = 10.0f * m, data->potR(m) = 2.0f;

  drawGeometryView(view, *data, GeometryToggles{true, true});
  const Log colours = entries(canvas, "colour ");
  EXPECT_EQ(std::count(colours.begin(), colours.end(), colour(kGreen)), 1);
  EXPECT_EQ(std::count(colours.begin(), colours.end(), colour(kPurple)), 1);
  EXPECT_EQ(colours.back(), colour(kBlack));
  // Axis 6, outline 10 + 2, one trajectory and its mirror 2, two potential steps mirrored 4.
  EXPECT_EQ(entries(canvas, "line ").size(), 24u);

  canvas.log.clear();
  drawGeometryView(view, *data, GeometryToggles{false, false});
  EXPECT_EQ(entries(canvas, "line ").size(), 18u);
  EXPECT_EQ(entries(canvas, "colour ").back(), colour(kCyan));
}

TEST_F(GeometryView, AspectRatioDecidesWhichSideHasRoomToSpare) {
  // A long flat gun on a wide screen: the height has room, the width is used in full.
  drawGeometryView(view, *data, GeometryToggles{});
  EXPECT_EQ(displayState.fR.load(), 0.95f);
  EXPECT_LT(displayState.fT.load(), 1.0f);
  // A tall narrow one: the height is used in full.
  data->rAxisMax = 200.0;
  drawGeometryView(view, *data, GeometryToggles{});
  EXPECT_LT(displayState.fR.load(), 0.95f);
  EXPECT_EQ(displayState.fT.load(), 1.0f);
  // zAxisMin = -25 with a span of 40 puts the window's left edge at -20.
  data->zAxisMin = -25.0, data->zAxisMax = 15.0;
  drawGeometryView(view, *data, GeometryToggles{});
  EXPECT_EQ(displayState.zWindowStart.load(), -20.0);
}

}  // namespace
}  // namespace kelm::klplot
