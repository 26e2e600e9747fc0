#include "source/program/display/beam_zoom.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <mutex>

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

// The zooms before the present one, latest last; a few dozen are as far back as anyone goes.
// Gestures add to them on the message thread, a load of another project clears them.
std::mutex earlierZoomsLock;
std::deque<AxialZoom> earlierZooms;
constexpr std::size_t kEarlierZooms = 32;

bool same(const AxialZoom& a, const AxialZoom& b) {
  return a.zStart == b.zStart && a.zEnd == b.zEnd && a.rCentre == b.rCentre;
}

void show(const AxialZoom& zoom) {
  displayState.beamZoom.store(zoom);
  beamRedrawRequested.store(1);
}

// The field window's value axis is B, not r: a zoom made there keeps the height it had.
void apply(std::int32_t unit, AxialZoom zoom) {
  const AxialZoom before = displayState.beamZoom.load();
  if (unit != klplot::kBeamUnit) zoom.rCentre = before.rCentre;
  if (same(zoom, before) || (!zoom.active() && !before.active())) return;
  const std::lock_guard lock(earlierZoomsLock);
  earlierZooms.push_back(before);
  if (earlierZooms.size() > kEarlierZooms) earlierZooms.pop_front();
  show(zoom);
}

klplot::ZoomWindow windowOf(std::int32_t unit) {
  return unit == klplot::kBeamUnit ? klplot::ZoomWindow::beam : klplot::ZoomWindow::field;
}

// The whole gun as the "Beam" window draws it at its present size bounds every zoom.
klplot::ZRange extent() {
  const klplot::AxialFrame beam = displayState.beamFrame.load();
  return klplot::zoomExtent(klplot::wholeGunFrame(beam.plotWidth, beam.plotHeight, klplot::projectData));
}

}  // namespace

void zoomWheelHandler(std::int32_t unit, std::int32_t x, std::int32_t y, std::int32_t notches) {
  const double factor = std::pow(kNotchFactor, std::clamp(notches, -20, 20));
  apply(unit, klplot::zoomAbout(drawnFrame(unit), windowOf(unit), extent(), x, y, factor));
}

void zoomRectangleHandler(std::int32_t unit, std::int32_t x1, std::int32_t y1, std::int32_t x2,
                          std::int32_t y2) {
  apply(unit, klplot::zoomToRectangle(drawnFrame(unit), windowOf(unit), extent(), x1, y1, x2, y2));
}

void zoomHomeHandler(std::int32_t unit) { apply(unit, {}); }

void zoomBackHandler(std::int32_t) {
  const std::lock_guard lock(earlierZoomsLock);
  if (earlierZooms.empty()) return;
  show(earlierZooms.back());
  earlierZooms.pop_back();
}

void forgetZoom() {
  const std::lock_guard lock(earlierZoomsLock);
  earlierZooms.clear();
  displayState.beamZoom.store({});
}

void wholeGunCommand(std::int32_t*) { zoomHomeHandler(klplot::kBeamUnit); }

void showPointerReadout(std::int32_t unit, std::int32_t x, std::int32_t y) {
  const bool beam = unit == klplot::kBeamUnit;
  window::setStatusReadout(klplot::pointerReadout(drawnFrame(unit), beam ? 'r' : 'B', x, y));
}

}  // namespace kelm
