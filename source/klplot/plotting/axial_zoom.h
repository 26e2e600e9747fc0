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

struct ZRange {
  double start, end;
};

// Narrowest zoom: a micrometre, or a thousandth of the position, whichever is wider, so that
// single-precision planes still differ from column to column.
double narrowestZoom(double zStart, double zEnd);

// The frame a zoom is drawn in on a "Beam" plot area of this size: its z range across the
// middle nine tenths, one scale both ways, rCentre halfway up.
AxialFrame zoomedFrame(std::int32_t plotWidth, std::int32_t plotHeight, const AxialZoom& zoom);

// How far a zoom may reach: the z range the whole-gun frame shows where a zoomed frame puts
// its range, so that a zoom never shows more than the whole gun did.
ZRange zoomExtent(const AxialFrame& wholeGun);

// The zoom kept within sense: at least the narrowest width, moved back inside the extent, and
// none at all once it is as wide as the extent or anything is not finite.
AxialZoom limitedZoom(AxialZoom wanted, ZRange extent);

// In which window a gesture was made: the "Beam" window's zoom is drawn in zoomedFrame, the
// "Magnetic field" window's in the columns it has and at the "Beam" window's height.
enum class ZoomWindow { beam, field };

// The wheel: the point under the pointer stays where it is; factor below 1 zooms in.
AxialZoom zoomAbout(const AxialFrame& drawn, ZoomWindow window, ZRange extent, std::int32_t x,
                    std::int32_t y, double factor);
// A dragged rectangle, in pixels of the drawn frame, is shown whole and centred. A rectangle of
// fewer than 3 columns is taken as a slip and leaves the view as it is.
AxialZoom zoomToRectangle(const AxialFrame& drawn, ZoomWindow window, ZRange extent,
                          std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);

}  // namespace kelm::klplot
