#pragma once
// The frame of a plot against z over the project's axial range, as the magnetic field view
// draws it: grey grid lines, z labels below, "Z(mm)" at the right end, value labels on the
// left. The mapping must already be set to the window (zMin, zMax) by (y0, y1).

#include <functional>

#include "runtime/fixed_text.h"
#include "source/klplot/plotting/nice_step.h"
#include "source/klplot/plotting/view_context.h"

namespace kelm::klplot {

using GridLabel = FixedText<8>;

struct AxialRange {
  float zMin, zMax, zStep;
  bool wholeSteps = false;  // ticks at whole multiples of the step (a zoom) rather than from zMin
};

// A value range rounded outward to a nice step: with the field variant as the field view's B
// axis; with the panel variant also for spans below 1.
struct ValueAxis {
  double y0, y1, step;
};
ValueAxis roundedValueAxis(double low, double high, StepVariant variant);

// Vertical lines at zMin, zMin + zStep, ... (accumulated in single precision) with their tick
// labels, then "Z(mm)". With wholeSteps the lines start at the first multiple of zStep.
void drawZGrid(const ViewContext& v, AxialRange z, double y0, double y1);

// Horizontal lines at y0, y0 + step, ... up to y1, each with labelOf(value) left of the plot.
void drawValueGrid(const ViewContext& v, AxialRange z, double y0, double y1, double step,
                   const std::function<GridLabel(float)>& labelOf);

}  // namespace kelm::klplot
