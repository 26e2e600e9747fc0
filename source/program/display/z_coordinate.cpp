#include "source/program/display/z_coordinate.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

#include "records/formatted.h"
#include "runtime/fixed_text.h"
#include "source/klplot/pages/view_table.h"
#include "source/klplot/project/project_data.h"
#include "source/klplot/project/single_precision.h"
#include "source/klplot/views/display_state.h"
#include "source/klplot/views/geometry_view.h"
#include "source/klplot/views/view_layout.h"
#include "source/program/dialog_resources.h"
#include "source/program/display/beam_zoom.h"
#include "source/program/display/z_markers.h"
#include "source/program/request_flags.h"
#include "window/dialogs.h"
#include "window/frame.h"

namespace kelm {
namespace {

using klplot::displayState;
using klplot::projectData;
using klplot::saturatedSingle;

// The two edit buffers keep their texts between uses of the dialog.
FixedText<80> zText;
FixedText<80> divisionsText;
// While the left button is held after a press in a marked window, moves carry the plane along.
std::int32_t zDragActive = 0;
// The left button's bit in the key state a mouse callback receives.
constexpr std::int32_t kLeftButtonHeld = 1;

// List-directed text with its leading blanks moved to the end, as the edit shows it.
template <class T>
void showListDirected(FixedText<80>& buffer, T value, int dialog, int control) {
  records::writeListInternal(buffer.span(), value);
  buffer.assign(trimLeft(buffer.view()));
  window::setControlText(dialog, control, buffer.trimmed());
}

void moveMarkersTo(float z) {
  window::setActiveWindow(klplot::kBeamUnit);
  std::int32_t x = beamColumnOf(z);
  klplot::eraseZMarker(0);
  klplot::drawZMarker(x, 0);
  displayState.markerXBeam.store(x);

  window::setActiveWindow(klplot::kFieldUnit);
  x = fieldColumnOf(z);
  klplot::eraseZMarker(1);
  klplot::drawZMarker(x, 1);
  phasePlaneRequested.store(1);
  displayState.markerXField.store(x);
}

// Six significant digits, in the C locale whatever the user's.
std::string shortNumber(double value) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6).ptr;
  return std::string(text, end);
}

// One value alone: a comma, a blank or a repeat count between characters would make the
// list-directed read stop early and take a part of the text ("30,5" as 30).
template <class T>
bool readOneValue(std::string_view text, T& value) {
  const std::string_view trimmed = trimLeft(trimRight(text));
  return !trimmed.empty() && trimmed.find_first_of(" \t,/*;") == std::string_view::npos &&
         records::readListInternal(trimmed, value) == 0;
}

// Why the dialog's texts cannot be taken, or empty when they can. The plane is kept inside
// the range the "Beam" window draws, so that its marker and figures stay readable.
std::string refusal(std::string_view zInput, std::string_view divisionsInput) {
  const std::string z(trimLeft(trimRight(zInput)));
  double value = 0.0;
  if (z.empty()) return "Type the position of the plane, z in mm.";
  if (!readOneValue(z, value) || !std::isfinite(value))
    return "\"" + z + "\" is not a number. Type z in mm with a decimal point, as in 30.5.";
  const klplot::AxialFrame drawn = displayState.beamFrame.load();
  const double low = drawn.zStart, high = drawn.zEnd;
  if (low < high && (value < low || value > high)) {
    return "z = " + z + " mm lies outside the drawn range, " + shortNumber(low) + " to " +
           shortNumber(high) + " mm.";
  }
  std::int32_t divisions = 0;
  const std::string d(trimLeft(trimRight(divisionsInput)));
  if (!readOneValue(d, divisions))
    return "\"" + d + "\" is not a whole number of current density divisions (1 to 100).";
  return {};
}

void acceptZ(int dialog, int) {
  FixedText<80> z, divisions;
  window::getControlText(dialog, resource::kZValueEdit, z.span());
  window::getControlText(dialog, resource::kDivisionsEdit, divisions.span());
  const std::string why = refusal(z.view(), divisions.view());
  if (why.empty()) window::endDialog(dialog, resource::kOk);
  else window::showDialogMessage(dialog, why);
}

}  // namespace

std::int32_t beamColumnOf(double z) { return displayState.beamFrame.load().column(z); }

std::int32_t fieldColumnOf(double z) { return displayState.fieldFrame.load().column(z); }

void zCoordinateCommand(std::int32_t* state) {
  const int dialog = window::loadDialog(resource::kZCoordinateDialog);
  if (dialog < 0) {
    *state = dialog;
    return;
  }
  showListDirected(zText, projectData.phaseZ.load(), dialog, resource::kZValueEdit);
  showListDirected(divisionsText, displayState.densityDivisionsUsed.load(), dialog,
                   resource::kDivisionsEdit);
  window::bindControl(dialog, resource::kOk, acceptZ);
  const int result = window::runDialogModal(dialog);
  window::getControlText(dialog, resource::kZValueEdit, zText.span());
  window::getControlText(dialog, resource::kDivisionsEdit, divisionsText.span());
  *state = window::releaseDialog(dialog);
  if (result != resource::kOk) return;

  // OK let only readable texts through.
  double z = 0.0;
  if (readOneValue(zText.view(), z)) {
    projectData.phaseZ.store(saturatedSingle(z));
    moveMarkersTo(projectData.phaseZ.load());
  }
  std::int32_t divisions = 0;
  if (readOneValue(divisionsText.view(), divisions)) {
    displayState.densityDivisionsUsed.store(divisions);
    displayState.densityDivisions.store(std::clamp(divisions, 1, 100));
  }
}

void zMouseHandler(std::int32_t* unit, std::int32_t* event, std::int32_t* keyState,
                   std::int32_t* x, std::int32_t* y) {
  if (*event == window::kLeftUp) {
    zDragActive = 0;
    return;
  }
  if (*event == window::kMouseMove) {
    showPointerReadout(*unit, *x, *y);
    // A release outside the window never arrives: a move without the left button ends the drag.
    if ((*keyState & kLeftButtonHeld) == 0) zDragActive = 0;
  }
  if (*event == window::kLeftDown) zDragActive = 1;
  if (zDragActive != 1) return;

  markerRedrawRequested.store(1);
  // The z under the click in the frame that window was drawn in; the other marker follows.
  const bool beam = *unit == klplot::kBeamUnit;
  const klplot::AxialFrame frame = (beam ? displayState.beamFrame : displayState.fieldFrame).load();
  std::int32_t column = *x;
  float z = frame.zAt(column);
  // Past the gun's ends there is no beam to show: the plane stops at the nearer end.
  const klplot::ZRange gun = klplot::wholeBeamRange(projectData);
  if (gun.start < gun.end && (z < gun.start || z > gun.end)) {
    z = saturatedSingle(std::clamp<double>(z, gun.start, gun.end));
    column = frame.column(z);
  }
  projectData.phaseZ.store(z);
  displayState.markerXBeam.store(beam ? column : beamColumnOf(z));
  displayState.markerXField.store(beam ? fieldColumnOf(z) : column);
  phasePlaneRequested.store(1);
}

void zArrowKeyHandler(std::int32_t unit, std::int32_t step) {
  const bool beam = unit == klplot::kBeamUnit;
  const klplot::AxialFrame frame = (beam ? displayState.beamFrame : displayState.fieldFrame).load();
  const double left = double(frame.left) * frame.plotWidth;
  const double right = double(frame.right) * frame.plotWidth;
  // From the marker's column, not the plane's: a plane rounded to single precision may map
  // back to the column before, and the key would never get past it.
  const std::int32_t from = beam ? displayState.markerXBeam.load() : displayState.markerXField.load();
  std::int32_t x = static_cast<std::int32_t>(
      std::clamp(static_cast<double>(from) + step, std::ceil(left), std::floor(right)));
  std::int32_t y = 0, keys = 0, down = window::kLeftDown, up = window::kLeftUp;
  zMouseHandler(&unit, &down, &keys, &x, &y);
  zMouseHandler(&unit, &up, &keys, &x, &y);
}

}  // namespace kelm
