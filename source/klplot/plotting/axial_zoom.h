#pragma once
// The part of the gun the "Beam" window shows when the user has zoomed in, and the arithmetic
// of the zoom gestures. The "Magnetic field" window shows the same z range. An inactive zoom
// leaves both windows exactly as they are drawn without one.

#include "source/klplot/plotting/axial_frame.h"

namespace kelm::klplot {

struct AxialZoom {
  double zStart = 0.0, zEnd = 0.0;  // mm
  double rCentre = 0.0;             // mm, the height the "Beam" window centres on
  bool active() const { return zEnd > zStart; }
};

// The whole gun's z range, as the unzoomed "Beam" window draws it.
struct ZRange {
  double start, end;
};

// Narrowest zoom: a micrometre, or a thousandth of the position, whichever is wider, so that
// single-precision planes still differ from column to column.
double narrowestZoom(double zStart, double zEnd);

// The zoom kept within sense: at least the narrowest width, and none at all once it shows the
// whole gun or anything not finite.
AxialZoom limitedZoom(AxialZoom wanted, ZRange whole);

// The wheel: the point under the pointer stays where it is; factor below 1 zooms in.
AxialZoom zoomAbout(const AxialFrame& drawn, ZRange whole, std::int32_t x, std::int32_t y,
                    double factor);
// A dragged rectangle, in pixels of the drawn frame, becomes the z range shown; its middle
// height becomes the centre. A rectangle of fewer than 3 columns is taken as a slip.
AxialZoom zoomToRectangle(const AxialFrame& drawn, ZRange whole, std::int32_t x1, std::int32_t y1,
                          std::int32_t x2, std::int32_t y2);

}  // namespace kelm::klplot
