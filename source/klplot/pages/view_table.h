#pragma once
// The project's views, one row each: the window a load opens for it, its place on the screen,
// its z-marker, its drawing, its printed page and its print item in the File menu. The screen,
// the printer, kelm-export, the fuzz targets and the benchmarks all loop over these rows, so a
// new view is one row and its drawing.

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "source/klplot/plotting/axial_frame.h"
#include "source/klplot/plotting/canvas.h"
#include "source/klplot/plotting/plot_mapping.h"
#include "source/klplot/plotting/view_context.h"
#include "source/klplot/project/project_data.h"
#include "source/klplot/views/geometry_view.h"
#include "source/klplot/views/view_layout.h"

namespace kelm::klplot {

inline constexpr int kPhasePlaneUnit = 11;
inline constexpr int kBeamUnit = 12;
inline constexpr int kCathodeUnit = 13;
inline constexpr int kFieldUnit = 14;

// What the views read besides the store: the display switches, the plane and the field there
// (computed by the caller, so that a caller without the field reader can still draw).
struct ViewInputs {
  GeometryToggles shown;
  float z = 0.0f;
  double fieldAtZ = 0.0;
  std::int32_t densityDivisions = 10;
};

// What a drawing leaves for its caller.
struct ViewDrawn {
  std::optional<std::int32_t> markerColumn;  // the plane's column, in a view with a z-marker
  std::int32_t fewerDivisions = 0;           // histogram bins, when it had to use fewer
  std::optional<AxialFrame> frame;           // where z lies, in a view with a z-marker
};

struct ViewPlacement {
  std::int32_t x, y, width, height;
  bool onTop;
};

enum class MarkerSlot { none = -1, beam = 0, field = 1 };

struct ViewRow {
  int unit;
  const char* title;        // the window's title
  const char* pictureName;  // kelm-export's file name
  SurfaceSize (*surface)(std::int32_t W, std::int32_t H);
  ViewPlacement (*placement)(std::int32_t W, std::int32_t H);
  bool minimisedAtOpening;
  bool drawnAtOpening;  // otherwise the display driver's first pass draws it
  MarkerSlot marker;
  // The window is cleared by the caller.
  ViewDrawn (*draw)(const ViewContext& v, ProjectData& data, const ViewInputs& in);
  // On the page square that the caller has set.
  void (*print)(PageCanvas& c, PlotMapping& m, const ProjectData& data, const ViewInputs& in);
  const char* printMenuText;
  int printOrder;  // place among the print items of the File menu and the printed pages, from 1
};

inline constexpr int kViewCount = 4;

// In the order the windows open.
std::span<const ViewRow, kViewCount> viewRows();
// In the order of the File menu's print items.
std::array<const ViewRow*, kViewCount> printedViewRows();
// nullptr when no view has that unit.
const ViewRow* viewRowOfUnit(int unit);

}  // namespace kelm::klplot
