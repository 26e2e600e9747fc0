#pragma once
// Where a plot against z lies on its surface, as the view drew it: the z range across the
// plot and the value range up it. The z-marker, the mouse and the read-out invert this very
// frame, so a click lands on the z the view drew there.

#include <cstdint>

namespace kelm::klplot {

struct AxialFrame {
  double zStart = 0.0, zEnd = 0.0;  // mm, at the viewport's left and right edges
  float left = 0.0f, right = 1.0f;  // viewport fractions across (fL, fR or gL, gR)
  std::int32_t plotWidth = 0;       // pixels: W - 16
  // The value axis: r in mm in the "Beam" window, B in gauss in the "Magnetic field" one.
  double valueLow = 0.0, valueHigh = 0.0;
  float bottom = 0.0f, top = 1.0f;  // viewport fractions up (fB, fT)
  std::int32_t plotHeight = 0;      // pixels: H/2 - 24

  // Pixel column of z; an empty z range gives the left edge.
  std::int32_t column(double z) const;
  // The z under pixel column x, rounded to single precision at each step as a stored plane is.
  float zAt(std::int32_t x) const;
  // The value under pixel row y (rows count down from the top).
  double valueAt(std::int32_t y) const;
};

}  // namespace kelm::klplot
