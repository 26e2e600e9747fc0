#include "source/z_coordinate.h"

#include <algorithm>
#include <cmath>

#include "records/formatted.h"
#include "runtime/fixed_text.h"
#include "source/klplot/display_state.h"
#include "source/klplot/project_data.h"
#include "source/klplot/resource.h"
#include "source/klplot/single_precision.h"
#include "source/klplot/view_layout.h"
#include "source/klplot/view_windows.h"
#include "source/request_flags.h"
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
std::int32_t zDragActive = 0;

double plotWidth() { return static_cast<double>(displayState.width() - 16); }

// A ratio of two spans; an empty span maps everything onto its start instead of dividing by 0.
double fraction(double offset, double span) { return span != 0.0 ? offset / span : 0.0; }

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

}  // namespace

std::int32_t beamColumnOf(double z) {
  return klplot::markerColumn(z, displayState.zWindowStart.load(), projectData.zAxisMax,
                              displayState.fL.load(), displayState.fR.load(), displayState.width());
}

std::int32_t fieldColumnOf(double z) {
  return klplot::markerColumn(z, projectData.zAxisMinF, projectData.zAxisMaxF,
                              displayState.gL.load(), displayState.gR.load(), displayState.width());
}

void zCoordinateCommand(std::int32_t* state) {
  const int dialog = window::loadDialog(resource::kZCoordinateDialog);
  if (dialog < 0) {
    *state = dialog;
    return;
  }
  showListDirected(zText, projectData.phaseZ.load(), dialog, resource::kZValueEdit);
  showListDirected(divisionsText, displayState.densityDivisionsUsed.load(), dialog,
                   resource::kDivisionsEdit);
  const int result = window::runDialogModal(dialog);
  window::getControlText(dialog, resource::kZValueEdit, zText.span());
  window::getControlText(dialog, resource::kDivisionsEdit, divisionsText.span());
  *state = window::releaseDialog(dialog);
  if (result != resource::kOk) return;

  float z = 0.0f;
  if (records::readListInternal(zText.view(), z) == 0 && std::isfinite(z)) {
    projectData.phaseZ.store(z);
    moveMarkersTo(z);
  }
  std::int32_t divisions = 0;
  if (records::readListInternal(divisionsText.view(), divisions) == 0) {
    displayState.densityDivisionsUsed.store(divisions);
    displayState.densityDivisions.store(std::clamp(divisions, 1, 100));
  }
}

void zMouseHandler(std::int32_t* unit, std::int32_t* event, std::int32_t*, std::int32_t* x,
                   std::int32_t*) {
  if (*event == window::kLeftUp) {
    zDragActive = 0;
    return;
  }
  if (*event == window::kLeftDown) zDragActive = 1;
  if (zDragActive != 1) return;

  markerRedrawRequested.store(1);
  displayState.markerXBeam.store(*x);
  displayState.markerXField.store(*x);
  const double u = fraction(*x, plotWidth());
  // Each step is rounded to single precision on its way, as the stored position is; the
  // viewport widths are differences of doubles, so that round fractions give round positions.
  if (*unit == klplot::kBeamUnit) {
    const double start = displayState.zWindowStart.load();
    const double fL = displayState.fL.load(), fR = displayState.fR.load();
    float z = saturatedSingle(u - fL);
    z = saturatedSingle(fraction(z, fR - fL));
    z = saturatedSingle(start + z * (projectData.zAxisMax - start));
    projectData.phaseZ.store(z);
    displayState.markerXField.store(fieldColumnOf(z));
  } else {
    const double gL = displayState.gL.load(), gR = displayState.gR.load();
    const double zMin = projectData.zAxisMinF, zMax = projectData.zAxisMaxF;
    float ratio = saturatedSingle(u - gL);
    ratio = saturatedSingle(fraction(ratio, gR - gL));
    const double z = zMin + ratio * (zMax - zMin);
    projectData.phaseZ.store(saturatedSingle(z));
    displayState.markerXBeam.store(beamColumnOf(z));
  }
  phasePlaneRequested.store(1);
}

}  // namespace kelm
