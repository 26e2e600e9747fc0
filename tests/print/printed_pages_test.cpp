// The print mapping and the four printed pages through a canvas that records every call: the
// worked cases of the mapping, the section layout, the labels of the field page and the
// figures, and what each page does with empty or degenerate data.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "source/klplot/pages/printed_figures.h"
#include "source/klplot/pages/printed_pages.h"
#include "source/klplot/plotting/plot_mapping.h"
#include "tests/views/recording_canvas.h"
#include "tests/views/trajectory_store.h"

namespace kelm::klplot {
namespace {

using Log = std::vector<std::string>;
using testing::RecordingPage;

class Pages : public ::testing::Test {
 protected:
  // The unit square on the page square of 200 by 287 mm at 600 dpi.
  void SetUp() override {
    m.setDeviceSize(4137, 4137);
    m.setWindow(1, 0.0, 1.0, 0.0, 1.0);
    m.setViewport(1, 0.0, 1.0, 0.0, 1.0);
  }
  void axes(double rMax, double zMin, double zMax, float step) {
    d->rAxisMax = rMax;
    d->zAxisMin = d->zAxisMinF = float(zMin);
    d->zAxisMax = d->zAxisMaxF = float(zMax);
    d->zTickStep = step;
  }
  // Field samples every 10 mm from z = 0.
  void samples(const std::vector<float>& b) {
    d->magCount = int(b.size());
    for (int i = 1; i <= d->magCount; ++i) d->magZ(i) = 10.0f * float(i - 1), d->magB(i) = b[std::size_t(i - 1)];
  }
  std::unique_ptr<ProjectData> d = std::make_unique<ProjectData>();
  RecordingPage page;
  PlotMapping m;
};

TEST_F(Pages, MappingOfFractionsTextAndMarks) {
  // 620.55 and 330.96 truncated; the text stands on the point.
  m.textAtPoint(page, 0.15, 0.92, "Z(mm)", page.textHeight());
  const float x[3] = {0.0f, 0.5f, 0.5f}, y[3] = {1.0f, 0.5f, 0.5f};
  m.points(page, 3, x, y);
  m.points(page, 0, x, y);
  EXPECT_EQ(page.log, (Log{"move 620,310", "text 'Z(mm)'", "move 0,0", "line 0,0", "move 2068,2068",
                           "line 2068,2068", "move 2068,2068", "line 2068,2068"}));
}

TEST(PrintMapping, RightAlignedTextEndsAtThePoint) {
  // x = 1 maps to 1000; each character is 10 units wide in the recording font.
  PlotMapping printMapping;
  printMapping.setDeviceSize(2000, 1000);
  printMapping.setWindow(1, 0.0, 2.0, 0.0, 1.0);
  printMapping.setViewport(1, 0.0, 1.0, 0.0, 1.0);
  const std::string longLabel(300, '8');
  struct Case {
    std::string text;
    Log expected;
  } cases[] = {
      {"  12.5", {"move 960,480", "text '12.5'"}},
      {std::string("\0\0 7  ", 6), {"move 990,480", "text '7'"}},
      {"      ", {}},
      {longLabel, {"move -1560,480", "text '" + std::string(256, '8') + "'"}},
  };
  for (const Case& c : cases) {
    RecordingPage page;
    printMapping.rightAlignedText(page, 1.0, 0.5, c.text);
    EXPECT_EQ(page.log, c.expected) << c.text;
  }
}

TEST_F(Pages, GeometrySectionKeepsItsProportions) {
  struct Case {
    double rMax, zMax;
    SectionLayout expected;
  } cases[] = {
      {60, 200, {0.0, 0.216667, 0.883333, 0.45, 0.85}},  // t = 0.6: 0.4 of the square high
      {20, 200, {0.0, 0.1, 1.0, 0.56, 0.74}},            // t = 0.2: 0.9 of it wide
  };
  for (const Case& c : cases) {
    axes(c.rMax, 0, c.zMax, 10.0f);
    const SectionLayout s = sectionLayout(*d);
    EXPECT_NEAR(s.vx1, c.expected.vx1, 1e-6) << c.rMax;
    EXPECT_NEAR(s.vx2, c.expected.vx2, 1e-6) << c.rMax;
    EXPECT_NEAR(s.vy1, c.expected.vy1, 1e-9) << c.rMax;
    EXPECT_NEAR(s.vy2, c.expected.vy2, 1e-9) << c.rMax;
  }
  struct Start {
    double zMin, zMax, zWindowStart;
  } starts[] = {
      {12.5, 14, 12.0},  // half a millimetre left of the first tick
      {-25, 15, -20.0},  // truncated toward zero, right of zAxisMin
      {-0.5, 0, -0.5},   // truncation would leave nothing: from zAxisMin
  };
  for (const Start& c : starts) {
    axes(1, c.zMin, c.zMax, 1.0f);
    EXPECT_EQ(sectionLayout(*d).zWindowStart, c.zWindowStart) << c.zMin;
  }
}

TEST_F(Pages, CrowdedZAxisLabelsEveryOtherTick) {
  // 0.9 of the square over 200 mm: ticks every 10 mm are 0.045 apart, so every other one
  // clears the 0.07 threshold and is labelled.
  axes(20, 0, 200, 10.0f);
  printGeometryPage(page, m, *d, {});
  const Log texts = page.texts();
  ASSERT_GE(texts.size(), 11u);
  EXPECT_EQ(Log(texts.end() - 11, texts.end()),
            (Log{"0", "20", "40", "60", "80", "100", "120", "140", "160", "180", "200"}));
}

TEST_F(Pages, FieldLabelsFollowTheFieldsMagnitude) {
  struct Case {
    std::vector<float> b;
    Log labels;
  } cases[] = {
      {{0, 25000}, {"  .0    ", " 5000.  ", "10000.  ", "  15K   ", "  20K   ", "  25K   "}},
      {{-20000, 20000},
       {" -20K   ", " -15K   ", " -10K   ", "-5000.  ", "  .0    ", " 5000.  ", "10000.  ", "  15K   ",
        "  20K   "}},
      {{100, 100}, {"  100.  ", "  101.  ", "  102.  ", "  103.  ", "  104.  ", "  105.  ", "  106.  "}},
  };
  axes(20, 0, 40, 10.0f);
  for (const Case& c : cases) {
    RecordingPage field;
    samples(c.b);
    printFieldPage(field, m, *d);
    // The field labels are the texts after "Z(mm)".
    const Log texts = field.texts();
    const auto z = std::find(texts.begin(), texts.end(), "Z(mm)");
    EXPECT_EQ(z == texts.end() ? Log{} : Log(z + 1, texts.end()), c.labels) << c.b.back();
  }
}

TEST_F(Pages, FieldCurveIsThickAndEndsAtTheAxis) {
  axes(20, 0, 40, 10.0f);
  // The sample at the axis's end (z = 40) is drawn but does not widen the field range.
  samples({0, 500, 300, 200, 900, 100});
  printFieldPage(page, m, *d);
  // The curve runs through the five samples up to z = 40, with the thick pen.
  const auto pen = std::find(page.log.begin(), page.log.end(), "pen 5");
  ASSERT_EQ(page.log.end() - pen, 7);
  EXPECT_EQ(pen[1].rfind("move", 0), 0u);
  EXPECT_EQ(pen[6], "pen 1");

  RecordingPage empty;
  d->magCount = 0;
  printFieldPage(empty, m, *d);
  EXPECT_TRUE(empty.log.empty());
}

TEST_F(Pages, EmptyCathodeDataGetsTheFullDefaultFrame) {
  d->trajCount = 0;
  printCathodePage(page, m, *d);
  // 0..10 up, all five labelled; 0..12.5 across, six ticks of which the odd ones labelled.
  EXPECT_EQ(page.texts(), (Log{"Current density on cathode (A/mm**2)", "  .0000 ", " 2.5000 ", " 5.0000 ",
                               " 7.5000 ", "10.0000 ", ".0", "5.0", "10.0", "R(mm)"}));
  EXPECT_EQ(page.calls("line").size(), 6u + 5);
  EXPECT_EQ(Log(page.log.end() - 2, page.log.end()), (Log{"pen 5", "pen 1"}));  // no marks
}

TEST_F(Pages, CrowdedYAxesLabelEveryOtherTick) {
  struct Case {
    float yMax;
    Log labels;
  } cases[] = {
      {4.0f, {"  .0000 ", " 1.0000 ", " 2.0000 ", " 3.0000 ", " 4.0000 "}},  // nine ticks
      {3.0f, {"  .0000 ", "  .5000 ", " 1.0000 ", " 1.5000 ", " 2.0000 ", " 2.5000 ", " 3.0000 "}},
  };
  const float x[1] = {1.0f};
  for (const Case& c : cases) {
    RecordingPage scatter;
    printScatterPlot(scatter, m, 1, x, &c.yMax);
    const Log texts = scatter.texts();
    EXPECT_EQ(Log(texts.begin(), texts.begin() + long(c.labels.size())), c.labels) << c.yMax;
    // The one mark: a line of no length with the thick pen.
    const Log tail(scatter.log.end() - 4, scatter.log.end());
    EXPECT_EQ(tail[0], "pen 5");
    EXPECT_EQ(tail[1].substr(5), tail[2].substr(5));
    EXPECT_EQ(tail[3], "pen 1");
  }
}

TEST_F(Pages, PhasePlaneWithoutCurrentPrintsZeroFiguresAndAMissedPlaneNothing) {
  auto data = testing::withTrajectories({{{90, 1}, {110, 1}}, {{90, 2}, {110, 2}}}, {1.0, -1.0});
  printPhasePlanePage(page, m, *data, PhasePlaneInput{100.0f, 1234.5, 10});
  const Log texts = page.texts();
  ASSERT_GE(texts.size(), 7u);
  EXPECT_EQ(Log(texts.begin(), texts.begin() + 7),
            (Log{" Phase plane", "Current density (A/mm**2)", "Rmax =    2.00 mm", "Zcross =  100.0  mm",
                 "Current =     .00 A", "Emittance =   .0000 mm*rad", "Magnetic field =    1234.50 Gs"}));
  EXPECT_EQ(page.calls("pen"), (Log{"5", "1", "5", "1"}));  // the scatter, then the histogram

  auto missed = testing::withTrajectories({{{10, 1}, {20, 1}}}, {1.0});
  RecordingPage blank;
  printPhasePlanePage(blank, m, *missed, PhasePlaneInput{5.0f, 0.0, 10});
  EXPECT_TRUE(blank.log.empty());
}

}  // namespace
}  // namespace kelm::klplot
