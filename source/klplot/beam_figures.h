#pragma once
// Where the trajectories cross the plane z = phaseZ, and the beam figures derived from that.

#include <cstdint>

#include "source/klplot/fixed_array.h"
#include "source/klplot/project_data.h"

namespace kelm::klplot {

struct Crossings {
  int count = 0;
  Array1<float, kMaxTrajectories> radius, slope, current;
  Array1<std::int32_t, kMaxTrajectories> trajectory;  // which trajectory made crossing c
  float rMax = 0.0f;
  double totalCurrent = 0.0;
  double emittance = 0.0;  // mm*rad; 0 when it is undefined
};

// Fills out from the project's trajectories; only each trajectory's first crossing counts.
void findCrossings(const ProjectData& data, float phaseZ, Crossings& out);

// The pieces findCrossings is made of, for callers that find the segments another way:
// whether the segment from z1 to z2 meets the plane (an end on it included), the crossing of
// trajectory i between its points k - 1 and k appended to out, and the emittance at the end.
inline bool segmentMeetsPlane(float phaseZ, float z1, float z2) {
  return !((phaseZ - z1) * (phaseZ - z2) > 0.0f);
}
void clearCrossings(Crossings& out);
void addCrossing(const ProjectData& data, int i, int k, float phaseZ, Crossings& out);
void finishCrossings(Crossings& out);

// Current-weighted second moments about the origin: sums of I r^2, I r'^2 and I r r'.
struct Moments {
  double srr = 0.0, spp = 0.0, srp = 0.0;
};
Moments momentsOf(const Crossings& c);

}  // namespace kelm::klplot
