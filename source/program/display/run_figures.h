#pragma once
// The run's figures in the status bar, so that a designer sees them without a report: the
// beam's current, the perveance its solve reached, and where the beam is narrowest.

#include <string>

#include "source/klplot/project/project_data.h"

namespace kelm::klplot {

// "0.0521 A, 0.0521 µP, waist at z 38.9 mm, r_rms 0.412 mm" (Latin-1); each part only where
// it is known, empty without trajectories.
std::string runFigures(const ProjectData& data, const std::string& directory);

}  // namespace kelm::klplot
