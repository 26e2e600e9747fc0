#pragma once
// What the printed pages share beyond the mapping.

#include <cstdint>
#include <string_view>

#include "source/klplot/plotting/canvas.h"
#include "source/klplot/plotting/plot_mapping.h"
#include "source/klplot/project/project_data.h"

namespace kelm::klplot {

// The pen the figures draw their data with, in device units.
inline constexpr std::int32_t kThickPen = 5;

// Text at point, lifted by the page font's height.
inline void pageText(PageCanvas& c, PlotMapping& m, double x, double y, std::string_view text) {
  m.textAtPoint(c, x, y, text, c.textHeight());
}

// Left edge of the section and field drawings: zAxisMin truncated toward zero to a multiple
// of the power of ten below the z span. When that leaves nothing of the axis (every z in
// (-1, 0]) the drawing starts at zAxisMin instead.
double pageZWindowStart(const ProjectData& data);

}  // namespace kelm::klplot
