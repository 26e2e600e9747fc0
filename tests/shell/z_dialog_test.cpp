// The "Z coordinate ..." dialog driven as a user would: what its edits show, and what OK and
// Cancel leave in the shared state for every kind of text typed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>

#include <cstring>

#include "source/klplot/display_state.h"
#include "source/klplot/project_data.h"
#include "source/klplot/resource.h"
#include "source/request_flags.h"
#include "tests/shell/z_dialog_answer.h"
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
    // A device 1000 pixels wide; both windows plot z from 0 to 40.
    displayState.screenRect = klplot::ScreenRect{0, 0, 1016, 1000};
    displayState.zWindowStart.store(0.0);
    displayState.fL.store(0.05f), displayState.fR.store(0.95f);
    displayState.gL.store(0.1f), displayState.gR.store(0.9f);
    projectData.zAxisMax = 40.0;
    projectData.zAxisMinF = 0.0f, projectData.zAxisMaxF = 40.0f;
    projectData.phaseZ.store(20.0f);
    displayState.densityDivisions.store(10);
    displayState.densityDivisionsUsed.store(10);
    displayState.markerXBeam.store(-1), displayState.markerXField.store(-1);
    phasePlaneRequested.store(0);
  }
};

TEST_F(ZDialog, OkAppliesWhatIsANumberAndClampsTheDivisions) {
  struct Row {
    const char* z;
    const char* divisions;
    bool moved;
    float plane;      // 20 before
    int drawn, shown;  // the divisions the histogram is asked for, and the dialog shows next
  } rows[] = {
      {"12.34", "50", true, 12.34f, 50, 50},
      {"-500", "0", true, -500.0f, 1, 0},  // outside the plotted range is a valid plane
      {"20", "250", true, 20.0f, 100, 250},
      {"abc", "x", false, 20.0f, 10, 10},
      {"1e39", "-3", false, 20.0f, 1, -3},  // beyond single precision is no plane
  };
  for (const Row& row : rows) {
    reset();
    answerZDialog(row.z, row.divisions, "OK");
    EXPECT_EQ(projectData.phaseZ.load(), row.plane) << row.z;
    EXPECT_EQ(phasePlaneRequested.load(), row.moved ? 1 : 0) << row.z;
    EXPECT_EQ(displayState.markerXBeam.load() != -1, row.moved) << row.z;
    EXPECT_EQ(displayState.densityDivisions.load(), row.drawn) << row.divisions;
    EXPECT_EQ(displayState.densityDivisionsUsed.load(), row.shown) << row.divisions;
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

TEST_F(ZDialog, EnterPressesTheFocusedButtonAndOkFromAnEdit) {
  struct Row {
    const char* focus;  // a button's text, or "edit"
    bool applied;
  };
  for (const Row& row : {Row{"Cancel", false}, Row{"OK", true}, Row{"edit", true}}) {
    projectData.phaseZ.store(20.0f);
    answerZDialog("5", "3", [&](QWidget& dialog) {
      QWidget* target = testing::buttonNamed(dialog, row.focus);
      if (target == nullptr) target = dialog.findChildren<QLineEdit*>().at(0);
      target->setFocus();
      QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
      QApplication::sendEvent(target, &enter);
    });
    EXPECT_EQ(projectData.phaseZ.load(), row.applied ? 5.0f : 20.0f) << row.focus;
    EXPECT_EQ(displayState.densityDivisions.load(), row.applied ? 3 : 10) << row.focus;
    if (!row.applied) {
      EXPECT_EQ(displayState.markerXBeam.load(), -1);
      EXPECT_EQ(phasePlaneRequested.load(), 0);
    }
  }
}

}  // namespace
}  // namespace kelm
