#pragma once
// The gun's axial section as the "Beam" window and the printed geometry page draw it: every
// outline line, trajectory and equipotential line together with its mirror about the axis.
// The screen colours the lines through the callbacks; the page draws them all in black.

#include <functional>

#include "source/klplot/plotting/canvas.h"
#include "source/klplot/plotting/plot_mapping.h"
#include "source/klplot/project/project_data.h"

namespace kelm::klplot {

void mirroredLine(const PlotMapping& m, LineCanvas& c, double z1, double r1, double z2,
                  double r2);

// beforeLine(j) runs ahead of the line from outline point j - 1 to j. The closing line joins
// the first point to the end of the last line, beforeClosing() ahead of it; an outline that
// drew no line has no end to join.
void drawOutline(const PlotMapping& m, LineCanvas& c, const ProjectData& d,
                 const std::function<void(int)>& beforeLine,
                 const std::function<void()>& beforeClosing);

// Trajectories with a positive current, each a polyline and its mirror.
void drawTrajectories(const PlotMapping& m, LineCanvas& c, const ProjectData& d);

// beforeLine(k) runs ahead of equipotential line k.
void drawEquipotentials(const PlotMapping& m, LineCanvas& c, const ProjectData& d,
                        const std::function<void(int)>& beforeLine);

}  // namespace kelm::klplot
