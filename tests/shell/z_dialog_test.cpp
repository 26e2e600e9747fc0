// The "Z coordinate ..." dialog driven as a user would: what its edits show, what OK leaves in
// the shared state, and why a text is refused. Real keys on it are the whole-program script's.
#include <gtest/gtest.h>

#include <cstring>

#include "source/klplot/project/project_data.h"
#include "source/program/dialog_resources.h"
#include "source/klplot/views/display_state.h"
#include "source/program/request_flags.h"
#include "tests/shell/z_dialog_answer.h"
#include "tests/views/program_state.h"
#include "tests/window/gui_wait.h"
#include "window/frame_window.h"

namespace kelm {
namespace {

using klplot::displayState;
using klplot::projectData;
using testing::answerZDialog;

class ZDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    window::createLayerWindows();
    resource::registerDialogs();
    reset();
  }
  void TearDown() override { window::destroyLayerWindows(); }
  static void reset() {
    testing::resetProgramState();
    // A device 1000 pixels wide; both windows plot z from 0 to 40.
    displayState.screenRect = klplot::ScreenRect{0, 0, 1016, 1000};
    displayState.beamFrame.store({0.0, 40.0, 0.05f, 0.95f, 1000});
    displayState.fieldFrame.store({0.0, 40.0, 0.1f, 0.9f, 1000});
    projectData.zAxisMax = 40.0;
    projectData.zAxisMinF = 0.0f, projectData.zAxisMaxF = 40.0f;
    projectData.phaseZ.store(20.0f);
    displayState.markerXBeam.store(-1), displayState.markerXField.store(-1);
  }
};

TEST_F(ZDialog, OkAppliesAPlaneInTheDrawnRangeAndClampsTheDivisions) {
  struct Row {
    const char* z;
    const char* divisions;
    float plane;
    int drawn, shown;  // the divisions the histogram is asked for, and the dialog shows next
  } rows[] = {
      {"12.34", "50", 12.34f, 50, 50},
      {"0", "0", 0.0f, 1, 0},  // the edges of the drawn range are planes too
      {" 40 ", "250", 40.0f, 100, 250},
      {"1.5e1", "100", 15.0f, 100, 100},
  };
  for (const Row& row : rows) {
    reset();
    answerZDialog(row.z, row.divisions, "OK");
    EXPECT_EQ(projectData.phaseZ.load(), row.plane) << row.z;
    EXPECT_EQ(phasePlaneRequested.load(), 1) << row.z;
    EXPECT_NE(displayState.markerXBeam.load(), -1) << row.z;
    EXPECT_EQ(displayState.densityDivisions.load(), row.drawn) << row.divisions;
    EXPECT_EQ(displayState.densityDivisionsUsed.load(), row.shown) << row.divisions;
  }
}

// What the message says of each refused text; that the dialog then stays open and nothing
// changes is the whole-program script's, with the same texts typed.
TEST_F(ZDialog, ARefusalSaysWhy) {
  const struct {
    const char *z, *divisions, *said;
  } rows[] = {
      {"30,5", "10", "\"30,5\" is not a number"},  // once read as 30
      {"abc", "10", "\"abc\" is not a number"},
      {"", "10", "Type the position of the plane"},
      {"NaN", "10", "is not a number"},
      {"30 5", "10", "is not a number"},
      {"1e39", "10", "outside the drawn range"},  // beyond single precision too
      {"1e38", "10", "outside the drawn range, 0 to 40 mm"},
      {"-500", "10", "outside the drawn range"},
      {"20", "x", "\"x\" is not a whole number"},
      {"20", "3,5", "is not a whole number"},
  };
  for (const auto& row : rows) {
    QString said;
    answerZDialog(row.z, row.divisions, [&](QWidget& dialog) {
      said = testing::messageBoxText([&] { testing::buttonNamed(dialog, "OK")->click(); });
      testing::buttonNamed(dialog, "Cancel")->click();
    });
    EXPECT_TRUE(said.contains(row.said)) << row.z << " " << row.divisions << ": " << said.toStdString();
  }
}

TEST_F(ZDialog, EditsShowTheValuesLeftAlignedAndReadThemBackExactly) {
  projectData.phaseZ.store(12.345678f);
  displayState.densityDivisionsUsed.store(7);
  const testing::ZDialogShown shown = answerZDialog("", "", "Cancel");
  EXPECT_FALSE(shown.z.startsWith(' '));
  EXPECT_EQ(shown.divisions, "7");
  // OK on the texts as shown leaves the plane where it was, to the last bit.
  answerZDialog(shown.z, shown.divisions, "OK");
  const float z = projectData.phaseZ.load(), expected = 12.345678f;
  EXPECT_EQ(std::memcmp(&z, &expected, sizeof z), 0);
  EXPECT_EQ(displayState.densityDivisions.load(), 7);
}

}  // namespace
}  // namespace kelm
