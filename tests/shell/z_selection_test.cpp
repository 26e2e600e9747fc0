#include <cmath>
#include <gtest/gtest.h>

#include "source/klplot/project/project_data.h"
#include "source/klplot/views/display_state.h"
#include "source/program/request_flags.h"
#include "source/program/display/beam_zoom.h"
#include "source/program/display/z_coordinate.h"
#include "tests/views/program_state.h"
#include "window/frame.h"

namespace kelm {
namespace {

using klplot::displayState;
using klplot::projectData;

// A 1016-pixel wide screen gives a plot width of 1000 pixels: columns are easy to check.
class ZSelection : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::resetProgramState();
    displayState.screenRect = {0, 0, 1016, 800};
    frames(0.0, 100.0, 0.05f, 0.95f, 0.1f, 0.9f);
    projectData.zAxisMin = 0.0;
    projectData.zAxisMax = 100.0;
    projectData.zAxisMinF = 0.0f;
    projectData.zAxisMaxF = 100.0f;
  }
  // The frames the two windows were drawn in: the beam's from zStart, the field's from
  // fieldStart, both to zEnd.
  static void frames(double zStart, double zEnd, float fL, float fR, float gL, float gR,
                     std::int32_t plotWidth = 1000, double fieldStart = 0.0) {
    displayState.beamFrame.store({zStart, zEnd, fL, fR, plotWidth});
    displayState.fieldFrame.store({fieldStart, zEnd, gL, gR, plotWidth});
  }
  void press(std::int32_t unit, std::int32_t x, std::int32_t event = window::kLeftDown,
             std::int32_t keys = 0) {
    std::int32_t y = 10;
    zMouseHandler(&unit, &event, &keys, &x, &y);
  }
};

TEST_F(ZSelection, AClickSetsThePlaneBothMarkersAndTheRequests) {
  struct Row {
    std::int32_t unit, x;
    double windowStart;
    float beamLeft, beamRight;  // the field's viewport is 0.1 to 0.9
    float z;
    int beamColumn, fieldColumn;
    bool exact;  // round fractions of either viewport give round positions
  } rows[] = {
      // u = 0.5: (0.5 - 0.05) / 0.9 * 100 = 50, which the field shows at (0.5 * 0.8 + 0.1) * 1000.
      {12, 500, 0.0, 0.05f, 0.95f, 50.0f, 500, 500, false},
      // A click left of the gun, in a beam window that starts before it, stops at the gun's start.
      {12, 50, -20.0, 0.05f, 0.95f, 0.0f, 200, 100, false},
      // u = 0.3: (0.3 - 0.1) / 0.8 * 100 = 25, which the beam shows at (0.25 * 0.9 + 0.05) * 1000.
      {14, 300, 0.0, 0.05f, 0.95f, 25.0f, 275, 300, false},
      // 0.9f - 0.1f taken in single precision is 0.8 plus an ulp, which put 25 at 25.0000038.
      {12, 300, 0.0, 0.1f, 0.9f, 25.0f, 300, 300, true},
      {12, 900, 0.0, 0.1f, 0.9f, 100.0f, 900, 900, true},
      {14, 500, 0.0, 0.1f, 0.9f, 50.0f, 500, 500, true},
      {14, 0, 0.0, 0.1f, 0.9f, 0.0f, 100, 100, true},  // -12.5 mm, before the gun
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << row.unit << " at " << row.x << " from " << row.windowStart);
    frames(row.windowStart, 100.0, row.beamLeft, row.beamRight, 0.1f, 0.9f);
    press(row.unit, row.x);
    if (row.exact) {
      EXPECT_EQ(projectData.phaseZ.load(), row.z);
    } else {
      EXPECT_NEAR(projectData.phaseZ.load(), row.z, 1e-3);
    }
    EXPECT_NEAR(displayState.markerXBeam.load(), row.beamColumn, 1);
    EXPECT_NEAR(displayState.markerXField.load(), row.fieldColumn, 1);
  }
  EXPECT_EQ(markerRedrawRequested.load(), 1);
  EXPECT_EQ(phasePlaneRequested.load(), 1);
  // A release alone moves nothing.
  projectData.phaseZ.store(7.0f);
  press(12, 500, window::kLeftUp);
  EXPECT_EQ(projectData.phaseZ.load(), 7.0f);
}

TEST_F(ZSelection, ArrowKeysStepTheMarkerByColumnsAndStopAtThePlotsEdges) {
  auto markerOf = [](std::int32_t unit) {
    return unit == 12 ? displayState.markerXBeam.load() : displayState.markerXField.load();
  };
  struct Row {
    std::int32_t unit, from, step, to;  // marker columns of that unit's window; -1: an edge
  } rows[] = {
      {12, 300, 1, 301}, {12, 300, -1, 299}, {12, 300, 10, 310}, {12, 300, -10, 290},
      {14, 500, 1, 501}, {14, 500, -10, 490},
      {12, 945, 10, -1}, {12, 55, -10, -1}, {14, 105, -10, -1}, {14, 895, 10, -1},
  };
  for (const Row& row : rows) {
    press(row.unit, row.from);
    press(row.unit, row.from, window::kLeftUp);
    phasePlaneRequested.store(0);
    zArrowKeyHandler(row.unit, row.step);
    EXPECT_EQ(phasePlaneRequested.load(), 1);
    const std::int32_t marker = markerOf(row.unit);
    if (row.to >= 0) {
      EXPECT_EQ(marker, row.to) << row.unit << " " << row.from << " " << row.step;
      // The plane, in single precision, lies in that column or at the end of the one before.
      const double z = projectData.phaseZ.load();
      EXPECT_LE(std::abs((row.unit == 12 ? beamColumnOf(z) : fieldColumnOf(z)) - row.to), 1);
      continue;
    }
    // At an edge of the plot (Beam: columns 50 to 950, field: 100 to 900) the next step stays.
    EXPECT_GE(marker, row.unit == 12 ? 50 : 100);
    EXPECT_LE(marker, row.unit == 12 ? 950 : 900);
    zArrowKeyHandler(row.unit, row.step);
    EXPECT_EQ(markerOf(row.unit), marker) << row.unit << " " << row.from << " " << row.step;
  }
  // Fifty single steps make fifty columns.
  press(12, 100);
  press(12, 100, window::kLeftUp);
  for (int i = 0; i < 50; ++i) zArrowKeyHandler(12, 1);
  EXPECT_EQ(displayState.markerXBeam.load(), 150);
}

TEST_F(ZSelection, DraggingTheMarkerMovesThePlaneUntilTheButtonIsUp) {
  constexpr std::int32_t kHeld = 1, kFree = 0;
  press(12, 500);
  struct Step {
    std::int32_t unit, x, keys;
    float plane;  // where the plane is after the move
  } steps[] = {
      {12, 590, kHeld, 60.0f},  // held: the plane follows, (0.59 - 0.05) / 0.9 * 100
      {12, 320, kHeld, 30.0f},
      {12, 950, kFree, 30.0f},  // the button came up outside the window: the drag is over
      {12, 500, kHeld, 30.0f},  // and a later move with a button held is no drag either
  };
  for (const Step& s : steps) {
    press(s.unit, s.x, window::kMouseMove, s.keys);
    EXPECT_NEAR(projectData.phaseZ.load(), s.plane, 1e-3) << s.x;
  }
  EXPECT_NEAR(displayState.markerXField.load(), 340, 1);  // 30 mm in the field window
  // A drag in the field window moves the beam's marker along.
  press(14, 300);
  press(14, 500, window::kMouseMove, kHeld);
  press(14, 500, window::kLeftUp);
  EXPECT_NEAR(projectData.phaseZ.load(), 50.0f, 1e-3);
  EXPECT_NEAR(displayState.markerXBeam.load(), 500, 1);
}

// The wheel, a rectangle in Beam and Home are the zoom script's, with real input.
TEST_F(ZSelection, ARectangleInTheFieldWindowSetsZOnly) {
  // Every zoom is bounded by the whole gun as the Beam window draws it, which needs a height.
  klplot::AxialFrame beam = displayState.beamFrame.load();
  beam.plotHeight = 376;
  displayState.beamFrame.store(beam);
  displayState.beamZoom.store({0.0, 80.0, 3.0});
  beamRedrawRequested.store(0);
  zoomRectangleHandler(14, 300, 5, 500, 200);
  EXPECT_NEAR(displayState.beamZoom.load().zStart, 25.0, 1e-4);
  EXPECT_NEAR(displayState.beamZoom.load().zEnd, 50.0, 1e-4);
  EXPECT_EQ(displayState.beamZoom.load().rCentre, 3.0);
  EXPECT_EQ(beamRedrawRequested.exchange(0), 1);
}

}  // namespace
}  // namespace kelm
