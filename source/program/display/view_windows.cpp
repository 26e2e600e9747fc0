// The view windows of a loaded project: opened, drawn, kept up to date, closed.
#include "source/program/display/view_windows.h"

#include <algorithm>
#include <array>
#include <atomic>

#include "records/units.h"
#include "runtime/text.h"
#include "source/klplot/project/project_data.h"
#include "source/klplot/project/project_readers.h"
#include "source/klplot/screen/screen_surface.h"
#include "source/klplot/views/display_state.h"
#include "source/klplot/views/view_font.h"
#include "source/klplot/views/view_layout.h"
#include "source/program/display/beam_zoom.h"
#include "source/program/display/z_coordinate.h"
#include "source/program/display/z_markers.h"
#include "source/program/request_flags.h"
#include "window/frame.h"
#include "window/graphics.h"

namespace kelm::klplot {
namespace {

// Opens the view's window with its configuration, colours and font; the window becomes active.
void openViewWindow(const ViewRow& view, std::int32_t w, std::int32_t h) {
  (void)records::openUnit(view.unit, {.file = "USER", .title = view.title});
  window::setActiveWindow(view.unit);
  const SurfaceSize size = view.surface(w, h);
  window::WindowConfig config;
  config.width = static_cast<std::int16_t>(std::clamp(size.width, 1, 32767));
  config.height = static_cast<std::int16_t>(std::clamp(size.height, 1, 32767));
  assignPadded(std::span<char>(config.title, sizeof config.title - 1), view.title);
  window::setWindowConfig(config);
  prepareViewSurface();
  const ViewPlacement at = view.placement(w, h);
  window::setWindowPlacement(window::windowHandle(view.unit), at.x, at.y, at.width, at.height,
                             at.onTop ? window::ZOrder::top : window::ZOrder::bottom, false);
  window::clearScreen(0);
}

// The screen each view is laid out for: the frame's at a load, and once the user or Tile or
// Cascade resized its window, the one that fits the view to it. Program thread.
std::array<ScreenSize, kViewCount> viewScreens{};
// A window's new size, packed width * 65536 + height, from the message thread; 0: none.
std::array<std::atomic<std::int64_t>, kViewCount> resizedTo{};
std::atomic<int> resizeRequested{0};

std::size_t rowIndexOf(int unit) {
  const auto rows = viewRows();
  return static_cast<std::size_t>(std::ranges::find(rows, unit, &ViewRow::unit) - rows.begin());
}

// Below this a view has no room for its plot: the window keeps the picture it has.
constexpr std::int32_t kLeastWidth = 64, kLeastHeight = 48;

void noteResize(std::int32_t unit, std::int32_t width, std::int32_t height) {
  const std::size_t row = rowIndexOf(unit);
  if (row >= kViewCount || width < kLeastWidth || height < kLeastHeight) return;
  resizedTo[row].store(std::int64_t{std::min(width, 32767)} * 65536 + std::min(height, 32767));
  resizeRequested.store(1);
}

std::atomic<std::int32_t>& markerColumnOf(MarkerSlot slot) {
  return slot == MarkerSlot::beam ? displayState.markerXBeam : displayState.markerXField;
}

Shared<AxialFrame>& frameOf(MarkerSlot slot) {
  return slot == MarkerSlot::beam ? displayState.beamFrame : displayState.fieldFrame;
}

ViewDrawn drawView(int unit) {
  const ViewRow* view = viewRowOfUnit(unit);
  window::setActiveWindow(unit);
  window::clearScreen(0);
  if (view == nullptr) return {};
  const ScreenSize screen = viewScreens[rowIndexOf(unit)];
  return view->draw(screenViewContext(screen.W, screen.H), projectData, currentViewInputs());
}

bool sameColumns(const AxialFrame& a, const AxialFrame& b) {
  return a.zStart == b.zStart && a.zEnd == b.zEnd && a.left == b.left && a.right == b.right &&
         a.plotWidth == b.plotWidth;
}

// The "Beam" window, and when its z range moved (a zoom), the "Magnetic field" window after it;
// a marker keeps its column unless its window's columns moved.
void drawBeamAndField() {
  const AxialFrame before = displayState.beamFrame.load();
  const ViewDrawn beam = drawView(kBeamUnit);
  if (beam.frame) displayState.beamFrame.store(*beam.frame);
  const bool moved = beam.frame && !sameColumns(before, *beam.frame);
  if (moved) displayState.markerXBeam.store(*beam.markerColumn);
  drawZMarker(displayState.markerXBeam.load(), static_cast<int>(MarkerSlot::beam));
  if (!moved) return;

  const ViewDrawn field = drawView(kFieldUnit);
  if (!field.frame) return;
  displayState.fieldFrame.store(*field.frame);
  displayState.markerXField.store(*field.markerColumn);
  drawZMarker(displayState.markerXField.load(), static_cast<int>(MarkerSlot::field));
}

// A view that has its own frame keeps it for the mouse, and its marker at the plane.
void keepFrameAndMarker(const ViewRow& view, const ViewDrawn& drawn) {
  if (view.marker == MarkerSlot::none || !drawn.frame || !drawn.markerColumn) return;
  frameOf(view.marker).store(*drawn.frame);
  markerColumnOf(view.marker).store(*drawn.markerColumn);
  drawZMarker(*drawn.markerColumn, static_cast<int>(view.marker));
}

// Each resized window: its surface takes the new size and its view is drawn for it.
void redrawResizedViews() {
  resizeRequested.store(0);
  const auto rows = viewRows();
  for (std::size_t row = 0; row < rows.size(); ++row) {
    const std::int64_t packed = resizedTo[row].exchange(0);
    if (packed == 0) continue;
    const SurfaceSize size{static_cast<std::int32_t>(packed / 65536), static_cast<std::int32_t>(packed % 65536)};
    const ViewRow& view = rows[row];
    viewScreens[row] = screenForSurface(view.surface, size);
    window::setActiveWindow(view.unit);
    window::WindowConfig config;
    config.width = static_cast<std::int16_t>(size.width);
    config.height = static_cast<std::int16_t>(size.height);
    window::setWindowConfig(config);
    keepFrameAndMarker(view, drawView(view.unit));
  }
}

void drawPhasePlane() {
  // Cleared before drawing: a plane chosen while this one is drawn asks for the next drawing.
  phasePlaneRequested.store(0);
  const std::int32_t fewer = drawView(kPhasePlaneUnit).fewerDivisions;
  // Only a histogram that had to use fewer divisions changes what the dialog shows.
  if (fewer != 0) displayState.densityDivisionsUsed.store(fewer);
}

}  // namespace

ViewInputs currentViewInputs() {
  const float z = projectData.phaseZ.load();
  return {{beamShown.load() != 0, potentialShown.load() != 0}, z, fieldAt(z), displayState.densityDivisions.load()};
}

void openViewWindows(bool keepView) {
  const window::WindowHandle frame = window::windowHandle(window::kFrameUnit);
  window::showWindow(frame, window::ShowCommand::maximize);
  window::showWindow(window::windowHandle(window::getActiveWindow()), window::ShowCommand::minimize);
  const window::Rect client = window::clientRect(frame);
  displayState.screenRect = ScreenRect{client.left, client.top, client.right, client.bottom - 16};
  setViewFont(displayState);
  const int w = displayState.width(), h = displayState.height();
  ProjectData& d = projectData;
  const float kept = d.phaseZ.load();
  if (!keepView || !(kept >= d.zAxisMin && kept <= d.zAxisMax))
    d.phaseZ.store(static_cast<float>((d.zAxisMin + d.zAxisMax) * 0.5));
  const ViewInputs inputs = currentViewInputs();
  viewScreens.fill({w, h});
  for (auto& size : resizedTo) size.store(0);
  for (const ViewRow& view : viewRows()) {
    openViewWindow(view, w, h);
    if (view.drawnAtOpening) keepFrameAndMarker(view, view.draw(screenViewContext(), d, inputs));
    if (view.minimisedAtOpening) window::showWindow(window::windowHandle(view.unit), window::ShowCommand::minimize);
    if (view.marker != MarkerSlot::none) {
      window::registerMouseCallback(view.unit, window::kLeftDown | window::kLeftUp | window::kMouseMove,
                                    zMouseHandler);
      window::registerZoomCallbacks(view.unit, {zoomWheelHandler, zoomRectangleHandler, zoomHomeHandler, zoomBackHandler});
      window::registerArrowKeyCallback(view.unit, zArrowKeyHandler);
    }
    window::registerResizeCallback(view.unit, noteResize);
  }
  window::focusWindow(kBeamUnit);
}

void serveViewRequests() {
  if (resizeRequested.load() != 0) {
    const std::int32_t active = window::getActiveWindow();
    redrawResizedViews();
    window::setActiveWindow(active);
  }
  if (beamRedrawRequested.load() != 0) {
    const std::int32_t active = window::getActiveWindow();
    // Cleared first: a zoom or toggle while these are drawn asks for the next drawing.
    beamRedrawRequested.store(0);
    drawBeamAndField();
    window::setActiveWindow(active);
  }
  if (phasePlaneRequested.load() != 0 && markerRedrawRequested.load() == 0) {
    const std::int32_t active = window::getActiveWindow();
    drawPhasePlane();
    window::setActiveWindow(active);
  }
  if (markerRedrawRequested.load() != 0) {
    const std::int32_t active = window::getActiveWindow();
    for (const ViewRow& view : viewRows()) {
      if (view.marker == MarkerSlot::none) continue;
      window::setActiveWindow(view.unit);
      eraseZMarker(static_cast<int>(view.marker));
      drawZMarker(markerColumnOf(view.marker).load(), static_cast<int>(view.marker));
    }
    window::setActiveWindow(active);
    markerRedrawRequested.store(0);
  }
}

void freezeViewWindows() {
  for (const ViewRow& view : viewRows()) {
    if (view.marker == MarkerSlot::none) continue;
    window::registerMouseCallback(view.unit, window::kLeftDown | window::kLeftUp | window::kMouseMove, nullptr);
    window::registerZoomCallbacks(view.unit, {});
    window::registerArrowKeyCallback(view.unit, nullptr);
  }
  window::setStatusReadout({});
}

void closeViewWindows() {
  for (const ViewRow& view : viewRows()) records::closeUnit(view.unit);
  window::setStatusReadout({});  // nothing is under the pointer once the views are gone
  window::showWindow(window::windowHandle(window::getActiveWindow()), window::ShowCommand::restore);
}

}  // namespace kelm::klplot
