#pragma once
// Where the trajectories cross the plane z = phaseZ, and the beam figures derived from that.

#include "source/klplot/fixed_array.h"
#include "source/klplot/project_data.h"

namespace kelm::klplot {

struct Crossings {
  int count = 0;
  Array1<float, kMaxTrajectories> radius, slope, current;
  float rMax = 0.0f;
  double totalCurrent = 0.0;
  double emittance = 0.0;  // mm*rad; 0 when it is undefined
};

// Fills out from the project's trajectories; only each trajectory's first crossing counts.
void findCrossings(const ProjectData& data, float phaseZ, Crossings& out);

}  // namespace kelm::klplot
