// The view windows of a loaded project: opened, drawn, kept up to date, closed.
#include "source/klplot/view_windows.h"

#include <algorithm>

#include "records/units.h"
#include "runtime/text.h"
#include "source/klplot/pages/printed_project.h"
#include "source/klplot/project/project_data.h"
#include "source/klplot/project/project_readers.h"
#include "source/klplot/views/display_state.h"
#include "source/klplot/views/view_font.h"
#include "source/klplot/views/z_marker.h"
#include "source/request_flags.h"
#include "source/z_coordinate.h"
#include "window/frame.h"
#include "window/graphics.h"

namespace kelm::klplot {
namespace {

MarkerSave markerSaves[2];

MarkerSave* saveFor(int which) { return which == 0 || which == 1 ? &markerSaves[which] : nullptr; }

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

std::atomic<std::int32_t>& markerColumnOf(MarkerSlot slot) {
  return slot == MarkerSlot::beam ? displayState.markerXBeam : displayState.markerXField;
}

ViewDrawn drawView(int unit) {
  const ViewRow* view = viewRowOfUnit(unit);
  window::clearScreen(0);
  return view != nullptr ? view->draw(screenViewContext(), projectData, currentViewInputs()) : ViewDrawn{};
}

void drawPhasePlane() {
  window::setActiveWindow(kPhasePlaneUnit);
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
  for (const ViewRow& view : viewRows()) {
    openViewWindow(view, w, h);
    if (view.drawnAtOpening) {
      const ViewDrawn drawn = view.draw(screenViewContext(), d, inputs);
      if (view.marker != MarkerSlot::none && drawn.markerColumn) {
        markerColumnOf(view.marker).store(*drawn.markerColumn);
        drawZMarker(*drawn.markerColumn, static_cast<int>(view.marker));
      }
    }
    if (view.minimisedAtOpening) window::showWindow(window::windowHandle(view.unit), window::ShowCommand::minimize);
    if (view.marker != MarkerSlot::none) {
      window::registerMouseCallback(view.unit, window::kLeftDown | window::kLeftUp, zMouseHandler);
      window::registerArrowKeyCallback(view.unit, zArrowKeyHandler);
    }
  }
  window::focusWindow(kBeamUnit);
}

void serveViewRequests() {
  if (beamRedrawRequested.load() != 0) {
    const std::int32_t active = window::getActiveWindow();
    window::setActiveWindow(kBeamUnit);
    (void)drawView(kBeamUnit);
    drawZMarker(displayState.markerXBeam.load(), static_cast<int>(MarkerSlot::beam));
    window::setActiveWindow(active);
    beamRedrawRequested.store(0);
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

void closeViewWindows() {
  for (const ViewRow& view : viewRows()) records::closeUnit(view.unit);
  window::showWindow(window::windowHandle(window::getActiveWindow()), window::ShowCommand::restore);
}

ViewContext screenViewContext() {
  return ViewContext{screenCanvas(), displayState.width(), displayState.height(), displayState.fontHeight};
}

void prepareViewSurface() {
  window::setBackgroundColor(window::kWhite);
  window::setDrawColor(window::kBlack);
  window::registerFonts();
  window::selectFont(displayState.fontSpec.view());
}

void drawZMarker(std::int32_t x, int which) {
  if (MarkerSave* save = saveFor(which)) drawMarkerLine(screenCanvas(), *save, x);
}

void eraseZMarker(int which) {
  if (MarkerSave* save = saveFor(which)) eraseMarkerLine(screenCanvas(), *save);
}

}  // namespace kelm::klplot
