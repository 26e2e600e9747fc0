#include "source/program/display/beam_zoom.h"

#include <algorithm>
#include <cmath>

#include "source/klplot/pages/view_table.h"
#include "source/klplot/plotting/pointer_readout.h"
#include "source/klplot/project/project_data.h"
#include "source/klplot/views/display_state.h"
#include "source/klplot/views/geometry_view.h"
#include "source/program/request_flags.h"
#include "window/frame.h"

namespace kelm {
namespace {

using klplot::AxialZoom;
using klplot::displayState;

// Each notch of the wheel shows a fifth less (or a quarter more) of the gun.
constexpr double kNotchFactor = 0.8;

klplot::AxialFrame drawnFrame(std::int32_t unit) {
  return (unit == klplot::kBeamUnit ? displayState.beamFrame : displayState.fieldFrame).load();
}

// The field window's value axis is B, not r: a zoom made there keeps the height it had.
void apply(std::int32_t unit, AxialZoom zoom) {
  if (unit != klplot::kBeamUnit) zoom.rCentre = displayState.beamZoom.load().rCentre;
  displayState.beamZoom.store(zoom);
  beamRedrawRequested.store(1);
}

}  // namespace

void zoomWheelHandler(std::int32_t unit, std::int32_t x, std::int32_t y, std::int32_t notches) {
  const double factor = std::pow(kNotchFactor, std::clamp(notches, -20, 20));
  apply(unit, klplot::zoomAbout(drawnFrame(unit), klplot::wholeBeamRange(klplot::projectData), x,
                                y, factor));
}

void zoomRectangleHandler(std::int32_t unit, std::int32_t x1, std::int32_t y1, std::int32_t x2,
                          std::int32_t y2) {
  apply(unit, klplot::zoomToRectangle(drawnFrame(unit), klplot::wholeBeamRange(klplot::projectData),
                                      x1, y1, x2, y2));
}

void zoomHomeHandler(std::int32_t) {
  displayState.beamZoom.store({});
  beamRedrawRequested.store(1);
}

void wholeGunCommand(std::int32_t*) { zoomHomeHandler(klplot::kBeamUnit); }

void showPointerReadout(std::int32_t unit, std::int32_t x, std::int32_t y) {
  const bool beam = unit == klplot::kBeamUnit;
  window::setStatusReadout(klplot::pointerReadout(drawnFrame(unit), beam ? 'r' : 'B', x, y));
}

}  // namespace kelm
