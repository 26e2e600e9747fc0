#pragma once
// What a load shows, drawn as the view windows draw it: the four views of the project in the
// store with their z-markers, then the plane wherever the user can put it, and the printed
// pages. The fuzz target and the hostile projects test draw through it onto counting canvases.

#include <array>
#include <cstdint>
#include <initializer_list>

#include "source/klplot/canvas.h"
#include "source/klplot/cathode_view.h"
#include "source/klplot/display_state.h"
#include "source/klplot/field_view.h"
#include "source/klplot/geometry_view.h"
#include "source/klplot/phase_plane_view.h"
#include "source/klplot/printed_project.h"
#include "source/klplot/project_data.h"
#include "source/klplot/z_marker.h"

namespace kelm::klplot::fuzzing {

// fieldAt is passed in, so that a caller without the field reader can still draw.
template <class FieldAt>
void drawPhasePlaneAt(Canvas& canvas, std::int32_t w, std::int32_t h, std::int32_t textHeight,
                      float z, FieldAt fieldAt) {
  PlotMapping mapping;
  drawPhasePlaneView(ViewContext{canvas, mapping, w, h, textHeight}, projectData,
                     PhasePlaneInput{z, fieldAt(z), displayState.densityDivisions.load()});
}

// The first drawing after a load on a screen of w by h pixels.
template <class FieldAt>
void drawLoadedProject(Canvas& c, std::int32_t w, std::int32_t h,
                       std::int32_t textHeight, FieldAt fieldAt) {
  ProjectData& d = projectData;
  displayState.screenRect = ScreenRect{0, 0, w, h};
  MarkerSave beamMarker, fieldMarker;
  PlotMapping mapping;
  const ViewContext view{c, mapping, w, h, textHeight};

  displayState.beamFrame.store(drawGeometryView(view, d, GeometryToggles{}));
  d.phaseZ.store(static_cast<float>((d.zAxisMin + d.zAxisMax) * 0.5));
  const float z = d.phaseZ.load();
  drawMarkerLine(c, beamMarker, displayState.beamFrame.load().column(z));

  copyCathodeRadii(d);
  drawCathodeView(view, d);

  displayState.fieldFrame.store(drawFieldView(view, d));
  drawMarkerLine(c, fieldMarker, displayState.fieldFrame.load().column(z));

  drawPhasePlaneAt(c, w, h, textHeight, z, fieldAt);
}

// Where the Z-coordinate handling can put the plane after a load: the ends of the z range and
// any finite number typed into the dialog.
inline std::array<float, 7> planesAcrossTheRange() {
  const ProjectData& d = projectData;
  return {d.zAxisMinF, d.zAxisMaxF, 0.0f, 1e20f, -1e20f, 3.4028235e38f, -3.4028235e38f};
}

// The plane and its markers at each of those places.
template <class FieldAt>
void drawPlaneAcrossTheRange(Canvas& c, std::int32_t w, std::int32_t h, std::int32_t textHeight,
                             FieldAt fieldAt) {
  for (float z : planesAcrossTheRange()) {
    MarkerSave save;
    drawMarkerLine(c, save, displayState.beamFrame.load().column(z));
    drawMarkerLine(c, save, displayState.fieldFrame.load().column(z));
    drawPhasePlaneAt(c, w, h, textHeight, z, fieldAt);
  }
}

// The four printed pages of the loaded project as the print commands draw them on a 600-dpi
// printer, then the phase plane page with the plane at each place above. Needs fieldAt.
inline void printLoadedProject(PageCanvas& c) {
  const window::PrinterFacts facts{200, 287, 600, 600};
  for (PrintedPage page : {PrintedPage::geometry, PrintedPage::magneticField, PrintedPage::phasePlane,
                           PrintedPage::cathodeDensity})
    printProjectPage(page, c, facts);
  const float plane = projectData.phaseZ.load();
  for (float z : planesAcrossTheRange()) {
    projectData.phaseZ.store(z);
    printProjectPage(PrintedPage::phasePlane, c, facts);
  }
  projectData.phaseZ.store(plane);
}

}  // namespace kelm::klplot::fuzzing
