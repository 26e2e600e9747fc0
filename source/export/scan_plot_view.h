#pragma once
// The picture of a scan: one figure of summary.csv against one parameter, a line per value of
// a second parameter, on axes rounded to the views' nice steps and labelled as their ticks.

#include <string>

#include "source/export/scan_table.h"
#include "source/klplot/plotting/view_context.h"
#include "source/klplot/plotting/z_grid.h"
#include "source/klplot/views/view_layout.h"

namespace kelm::exporting {

// The plot's frame, as fractions of the device: W - 16 by 2 * (H/2 - 24) on a W x H screen,
// as the envelope is laid out. The legend of the lines takes the room on the right.
inline constexpr double kScanPlotLeft = 0.1, kScanPlotRight = 0.78;
inline constexpr double kScanPlotBottom = 0.1, kScanPlotTop = 0.9;

struct ScanPlotNames {
  std::string x, y, group;  // the columns' names; group empty without --group
  bool points = false;      // each point named by its directory (--labels)
};

// The range of data values [low, high] rounded outward to a nice step. A range that is empty
// beside its values (all values alike) is first widened by a tenth of them, or by 1 about
// values of 1e-30 and less.
klplot::ValueAxis scanAxis(double low, double high);

// series must hold at least one point.
void drawScanPlot(const klplot::ViewContext& v, const ScanSeries& series, const ScanPlotNames& names);

// The colour of line k.
std::int32_t scanLineColour(std::size_t k);

}  // namespace kelm::exporting
