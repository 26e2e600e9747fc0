// The four view windows of a loaded project: opened, drawn, kept up to date, closed.
#include "source/klplot/view_windows.h"

#include <algorithm>

#include "records/units.h"
#include "runtime/text.h"
#include "source/klplot/cathode_view.h"
#include "source/klplot/display_state.h"
#include "source/klplot/field_view.h"
#include "source/klplot/view_font.h"
#include "source/klplot/geometry_view.h"
#include "source/klplot/phase_plane_view.h"
#include "source/klplot/project_data.h"
#include "source/klplot/project_readers.h"
#include "source/klplot/view_layout.h"
#include "source/klplot/z_marker.h"
#include "source/beam_zoom.h"
#include "source/request_flags.h"
#include "source/z_coordinate.h"
#include "window/frame.h"
#include "window/graphics.h"

namespace kelm::klplot {
namespace {

MarkerSave markerSaves[2];
// The screen views draw on the program thread only, through this one mapping.
PlotMapping screenMapping;

MarkerSave* saveFor(int which) { return which == 0 || which == 1 ? &markerSaves[which] : nullptr; }

struct ViewWindowLayout {
  int unit;
  const char* title;
  SurfaceSize size;
};

// Opens the unit's window with its configuration, colours and font; the window becomes active.
void openViewWindow(const ViewWindowLayout& layout) {
  (void)records::openUnit(layout.unit, {.file = "USER", .title = layout.title});
  window::setActiveWindow(layout.unit);
  window::WindowConfig config;
  config.width = static_cast<std::int16_t>(std::clamp(layout.size.width, 1, 32767));
  config.height = static_cast<std::int16_t>(std::clamp(layout.size.height, 1, 32767));
  assignPadded(std::span<char>(config.title, sizeof config.title - 1), layout.title);
  window::setWindowConfig(config);
  prepareViewSurface();
}

void place(int unit, int x, int y, int width, int height, window::ZOrder order) {
  window::setWindowPlacement(window::windowHandle(unit), x, y, width, height, order, false);
}

bool sameColumns(const AxialFrame& a, const AxialFrame& b) {
  return a.zStart == b.zStart && a.zEnd == b.zEnd && a.left == b.left && a.right == b.right &&
         a.plotWidth == b.plotWidth;
}

// The "Beam" window, and when its z range moved (a zoom), the "Magnetic field" window after it;
// a marker keeps its column unless its window's columns moved.
void drawBeamAndField() {
  window::setActiveWindow(kBeamUnit);
  window::clearScreen(0);
  const AxialFrame before = displayState.beamFrame.load();
  const AxialFrame beam = drawGeometryView(
      screenViewContext(), projectData,
      GeometryToggles{beamShown.load() != 0, potentialShown.load() != 0});
  displayState.beamFrame.store(beam);
  const bool moved = !sameColumns(before, beam);
  const float z = projectData.phaseZ.load();
  if (moved) displayState.markerXBeam.store(beam.column(z));
  drawZMarker(displayState.markerXBeam.load(), 0);
  if (!moved) return;

  window::setActiveWindow(kFieldUnit);
  window::clearScreen(0);
  const AxialFrame field = drawFieldView(screenViewContext(), projectData);
  displayState.fieldFrame.store(field);
  displayState.markerXField.store(field.column(z));
  drawZMarker(displayState.markerXField.load(), 1);
}

void drawPhasePlane() {
  window::setActiveWindow(kPhasePlaneUnit);
  window::clearScreen(0);
  // Cleared before drawing: a plane chosen while this one is drawn asks for the next drawing.
  phasePlaneRequested.store(0);
  const float z = projectData.phaseZ.load();
  const std::int32_t fewer = drawPhasePlaneView(
      screenViewContext(), projectData, PhasePlaneInput{z, fieldAt(z), displayState.densityDivisions.load()});
  // Only a histogram that had to use fewer divisions changes what the dialog shows.
  if (fewer != 0) displayState.densityDivisionsUsed.store(fewer);
}

}  // namespace

void openViewWindows() {
  const window::WindowHandle frame = window::windowHandle(window::kFrameUnit);
  window::showWindow(frame, window::ShowCommand::maximize);
  window::showWindow(window::windowHandle(window::getActiveWindow()), window::ShowCommand::minimize);
  const window::Rect client = window::clientRect(frame);
  displayState.screenRect = ScreenRect{client.left, client.top, client.right, client.bottom - 16};
  setViewFont(displayState);
  const int w = displayState.width(), h = displayState.height();
  ProjectData& d = projectData;

  openViewWindow({kBeamUnit, "Beam", wideViewSurface(w, h)});
  place(kBeamUnit, 0, 0, w, h / 2, window::ZOrder::top);
  window::clearScreen(0);
  displayState.beamFrame.store(drawGeometryView(
      screenViewContext(), d, GeometryToggles{beamShown.load() != 0, potentialShown.load() != 0}));
  d.phaseZ.store(static_cast<float>((d.zAxisMin + d.zAxisMax) * 0.5));
  displayState.markerXBeam.store(beamColumnOf(d.phaseZ.load()));
  drawZMarker(displayState.markerXBeam.load(), 0);
  window::registerMouseCallback(kBeamUnit, window::kLeftDown | window::kLeftUp | window::kMouseMove,
                                zMouseHandler);
  window::registerZoomCallbacks(kBeamUnit, {zoomWheelHandler, zoomRectangleHandler, zoomHomeHandler});
  window::registerArrowKeyCallback(kBeamUnit, zArrowKeyHandler);

  openViewWindow({kCathodeUnit, "Cathode", cathodeViewSurface(w, h)});
  window::clearScreen(0);
  place(kCathodeUnit, w / 4, h / 4, w / 2, h / 2, window::ZOrder::bottom);
  copyCathodeRadii(d);
  drawCathodeView(screenViewContext(), d);

  openViewWindow({kFieldUnit, "Magnetic field", wideViewSurface(w, h)});
  place(kFieldUnit, 0, 0, w, h / 2, window::ZOrder::top);
  window::clearScreen(0);
  displayState.fieldFrame.store(drawFieldView(screenViewContext(), d));
  displayState.markerXField.store(fieldColumnOf(d.phaseZ.load()));
  drawZMarker(displayState.markerXField.load(), 1);
  window::showWindow(window::windowHandle(kFieldUnit), window::ShowCommand::minimize);
  window::registerMouseCallback(kFieldUnit, window::kLeftDown | window::kLeftUp | window::kMouseMove,
                                zMouseHandler);
  window::registerZoomCallbacks(kFieldUnit, {zoomWheelHandler, zoomRectangleHandler, zoomHomeHandler});
  window::registerArrowKeyCallback(kFieldUnit, zArrowKeyHandler);

  openViewWindow({kPhasePlaneUnit, "Phase plane", wideViewSurface(w, h)});
  window::clearScreen(0);
  place(kPhasePlaneUnit, 0, h / 2, w, h / 2, window::ZOrder::top);
  window::focusWindow(kBeamUnit);
}

void serveViewRequests() {
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
    window::setActiveWindow(kFieldUnit);
    eraseZMarker(1);
    drawZMarker(displayState.markerXField.load(), 1);
    window::setActiveWindow(kBeamUnit);
    eraseZMarker(0);
    drawZMarker(displayState.markerXBeam.load(), 0);
    window::setActiveWindow(active);
    markerRedrawRequested.store(0);
  }
}

void closeViewWindows() {
  for (int unit : {kPhasePlaneUnit, kBeamUnit, kCathodeUnit, kFieldUnit}) records::closeUnit(unit);
  window::setStatusReadout({});  // nothing is under the pointer once the views are gone
  window::showWindow(window::windowHandle(window::getActiveWindow()), window::ShowCommand::restore);
}

ViewContext screenViewContext() {
  return ViewContext{screenCanvas(), screenMapping, displayState.width(), displayState.height(),
                     displayState.fontHeight, displayState.beamZoom.load()};
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
