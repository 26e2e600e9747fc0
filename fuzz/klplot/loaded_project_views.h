#pragma once
// What a load shows, drawn as the view windows draw it: the views of the project in the
// store with their z-markers, then the plane wherever the user can put it, and the printed
// pages. The fuzz target and the hostile projects test draw through it onto counting canvases.

#include <array>
#include <cstdint>
#include <initializer_list>

#include "source/klplot/pages/printed_project.h"
#include "source/klplot/pages/view_table.h"
#include "source/klplot/plotting/canvas.h"
#include "source/klplot/project/project_data.h"
#include "source/klplot/project/project_readers.h"
#include "source/klplot/views/cathode_view.h"
#include "source/klplot/views/display_state.h"
#include "source/klplot/views/field_view.h"
#include "source/klplot/views/geometry_view.h"
#include "source/klplot/views/phase_plane_view.h"
#include "source/klplot/views/view_layout.h"
#include "source/klplot/views/z_marker.h"

namespace kelm::klplot::fuzzing {

// fieldAt is passed in, so that a caller without the field reader can still draw.
template <class FieldAt>
void drawPhasePlaneAt(Canvas& canvas, std::int32_t w, std::int32_t h, std::int32_t textHeight,
                      float z, FieldAt fieldAt) {
  PlotMapping mapping;
  drawPhasePlaneView(ViewContext{canvas, mapping, w, h, textHeight}, projectData,
                     PhasePlaneInput{z, fieldAt(z), displayState.densityDivisions.load()});
}

// The first drawing after a load on a screen of w by h pixels, the phase plane included.
template <class FieldAt>
void drawLoadedProject(Canvas& c, std::int32_t w, std::int32_t h,
                       std::int32_t textHeight, FieldAt fieldAt) {
  ProjectData& d = projectData;
  displayState.screenRect = ScreenRect{0, 0, w, h};
  d.phaseZ.store(static_cast<float>((d.zAxisMin + d.zAxisMax) * 0.5));
  const float z = d.phaseZ.load();
  const ViewInputs inputs{GeometryToggles{}, z, fieldAt(z), displayState.densityDivisions.load()};
  PlotMapping mapping;
  for (const ViewRow& view : viewRows()) {
    const ViewDrawn drawn = view.draw(ViewContext{c, mapping, w, h, textHeight}, d, inputs);
    MarkerSave marker;
    if (drawn.markerColumn) drawMarkerLine(c, marker, *drawn.markerColumn);
  }
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

// The printed pages of the loaded project as the print commands draw them on a 600-dpi
// printer, then the phase plane page with the plane at each place above. Needs fieldAt.
inline void printLoadedProject(PageCanvas& c) {
  const window::PrinterFacts facts{200, 287, 600, 600};
  const auto inputsAt = [](float z) {
    return ViewInputs{GeometryToggles{}, z, fieldAt(z), displayState.densityDivisions.load()};
  };
  for (const ViewRow* view : printedViewRows())
    printProjectPage(*view, c, facts, projectData, inputsAt(projectData.phaseZ.load()));
  for (float z : planesAcrossTheRange())
    printProjectPage(*viewRowOfUnit(kPhasePlaneUnit), c, facts, projectData, inputsAt(z));
}

}  // namespace kelm::klplot::fuzzing
