// The "Z coordinate ..." dialog driven as a user would: what its edits show, and what OK and
// Cancel leave in the shared state for every kind of text typed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include <cstring>
#include <functional>

#include "source/klplot/display_state.h"
#include "source/klplot/project_data.h"
#include "source/klplot/resource.h"
#include "source/request_flags.h"
#include "source/z_coordinate.h"
#include "tests/window/gui_wait.h"
#include "window/frame_window.h"

namespace kelm {
namespace {

using klplot::displayState;
using klplot::projectData;

struct Shown {
  QString z, divisions;
};

// Once the dialog is up: notes what its edits show, types the answers and closes it.
Shown answerDialog(const QString& z, const QString& divisions,
                   const std::function<void(QWidget& dialog)>& close) {
  Shown shown;
  std::int32_t state = 0;
  testing::actOnModal<QDialog>(
      [&](QDialog& dialog) {
        const auto edits = dialog.findChildren<QLineEdit*>();
        shown = {edits.at(0)->text(), edits.at(1)->text()};
        edits.at(0)->setText(z);
        edits.at(1)->setText(divisions);
        close(dialog);
      },
      [&] { zCoordinateCommand(&state); });
  return shown;
}

QWidget* buttonOf(QWidget& dialog, const QString& text) {
  for (QPushButton* b : dialog.findChildren<QPushButton*>()) {
    if (b->text() == text) return b;
  }
  return nullptr;
}

Shown answerDialog(const QString& z, const QString& divisions, const QString& button) {
  return answerDialog(z, divisions, [&](QWidget& dialog) {
    static_cast<QPushButton*>(buttonOf(dialog, button))->click();
  });
}

class ZDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    window::createLayerWindows();
    resource::registerDialogs();
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
  void TearDown() override { window::destroyLayerWindows(); }
};

TEST_F(ZDialog, OkStoresThePlaneTheMarkersAndTheDivisions) {
  answerDialog("12.34", "50", "OK");
  EXPECT_EQ(projectData.phaseZ.load(), 12.34f);
  // (12.34 / 40 * (fR - fL) + fL) * 1000 and (12.34 / 40 * (gR - gL) + gL) * 1000, truncated.
  EXPECT_EQ(displayState.markerXBeam.load(), 327);
  EXPECT_EQ(displayState.markerXField.load(), 346);
  EXPECT_EQ(phasePlaneRequested.load(), 1);
  EXPECT_EQ(displayState.densityDivisions.load(), 50);
  EXPECT_EQ(displayState.densityDivisionsUsed.load(), 50);
}

TEST_F(ZDialog, EditsShowTheValuesLeftAlignedAndReadThemBackExactly) {
  projectData.phaseZ.store(12.345678f);
  displayState.densityDivisionsUsed.store(7);
  const Shown shown = answerDialog("", "", "Cancel");
  EXPECT_FALSE(shown.z.startsWith(' '));
  EXPECT_EQ(shown.divisions, "7");
  // OK on the texts as shown leaves the plane where it was, to the last bit.
  answerDialog(shown.z, shown.divisions, "OK");
  const float z = projectData.phaseZ.load(), expected = 12.345678f;
  EXPECT_EQ(std::memcmp(&z, &expected, sizeof z), 0);
  EXPECT_EQ(phasePlaneRequested.load(), 1);
  EXPECT_EQ(displayState.densityDivisions.load(), 7);
}

TEST_F(ZDialog, DivisionsAreClampedButTheTypedNumberIsKept) {
  answerDialog("20", "0", "OK");
  EXPECT_EQ(displayState.densityDivisions.load(), 1);
  EXPECT_EQ(displayState.densityDivisionsUsed.load(), 0);
  answerDialog("20", "-3", "OK");
  EXPECT_EQ(displayState.densityDivisions.load(), 1);
  answerDialog("20", "250", "OK");
  EXPECT_EQ(displayState.densityDivisions.load(), 100);
  EXPECT_EQ(displayState.densityDivisionsUsed.load(), 250);
  answerDialog("20", "100", "OK");
  EXPECT_EQ(displayState.densityDivisions.load(), 100);
}

TEST_F(ZDialog, TextThatIsNotANumberKeepsTheOldValues) {
  answerDialog("abc", "x", "OK");
  EXPECT_EQ(projectData.phaseZ.load(), 20.0f);
  EXPECT_EQ(displayState.markerXBeam.load(), -1);
  EXPECT_EQ(phasePlaneRequested.load(), 0);
  EXPECT_EQ(displayState.densityDivisions.load(), 10);
  EXPECT_EQ(displayState.densityDivisionsUsed.load(), 10);
  // A number beyond the single-precision range is no plane either.
  answerDialog("1e39", "12", "OK");
  EXPECT_EQ(projectData.phaseZ.load(), 20.0f);
  EXPECT_EQ(displayState.densityDivisions.load(), 12);
  // Outside the plotted range is a valid choice.
  answerDialog("-500", "12", "OK");
  EXPECT_EQ(projectData.phaseZ.load(), -500.0f);
}

TEST_F(ZDialog, CancelChangesNothingEvenAfterEditing) {
  answerDialog("5", "3", "Cancel");
  EXPECT_EQ(projectData.phaseZ.load(), 20.0f);
  EXPECT_EQ(displayState.markerXBeam.load(), -1);
  EXPECT_EQ(phasePlaneRequested.load(), 0);
  EXPECT_EQ(displayState.densityDivisions.load(), 10);
}

TEST_F(ZDialog, EnterPressesTheFocusedButtonAndOkFromAnEdit) {
  struct Row {
    const char* focus;  // a button's text, or "edit"
    bool applied;
  };
  for (const Row& row : {Row{"Cancel", false}, Row{"OK", true}, Row{"edit", true}}) {
    projectData.phaseZ.store(20.0f);
    answerDialog("5", "10", [&](QWidget& dialog) {
      QWidget* target = std::string_view(row.focus) == "edit" ? dialog.findChildren<QLineEdit*>().at(0)
                                                               : buttonOf(dialog, row.focus);
      target->setFocus();
      QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
      QApplication::sendEvent(target, &enter);
    });
    EXPECT_EQ(projectData.phaseZ.load(), row.applied ? 5.0f : 20.0f) << row.focus;
  }
}

}  // namespace
}  // namespace kelm
