#pragma once
// Where the trajectories cross the plane z = phaseZ, and the beam figures derived from that.

#include <cstdint>
#include <optional>

#include "runtime/fixed_array.h"
#include "source/klplot/project/project_data.h"
#include "source/klplot/project/single_precision.h"

namespace kelm::klplot {

struct Crossings {
  int count = 0;
  Array1<float, kMaxTrajectories> radius, slope, current;
  // r·θ′ where the source carries it (klplt.res does not: 0), for the rms figures.
  Array1<float, kMaxTrajectories> azimuthalSlope;
  Array1<std::int32_t, kMaxTrajectories> trajectory;  // which trajectory made crossing c
  float rMax = 0.0f;
  double totalCurrent = 0.0;
  double emittance = 0.0;  // mm*rad; 0 when it is undefined
};

// Fills out from the project's trajectories; only each trajectory's first crossing counts.
void findCrossings(const ProjectData& data, float phaseZ, Crossings& out);

// The pieces findCrossings is made of, for callers that find the segments another way: the
// single-precision z of point p of trajectory i that the search compares, whether the segment
// from z1 to z2 meets the plane (an end on it included), the crossing of trajectory i between
// its points k - 1 and k appended to out, and the emittance at the end.
inline float trajectoryZ(const ProjectData& data, int i, int p) { return saturatedSingle(data.trajZ(i, p)); }
inline bool segmentMeetsPlane(float phaseZ, float z1, float z2) {
  // In double: the single-precision product overflows for z far from the plane.
  return !((double(phaseZ) - z1) * (double(phaseZ) - z2) > 0.0);
}
void clearCrossings(Crossings& out);
void addCrossing(const ProjectData& data, int i, int k, float phaseZ, Crossings& out);
void finishCrossings(Crossings& out);

// Current-weighted second moments about the origin: sums of I r^2, I r'^2 and I r r'.
struct Moments {
  double srr = 0.0, spp = 0.0, srp = 0.0;
  void add(double current, double r, double slope) {
    srr += current * r * r;
    spp += current * slope * slope;
    srp += current * r * slope;
  }
};
Moments momentsOf(const Crossings& c);

// a / b (b not 0) where the quotient fits a double: currents that almost cancel would
// otherwise divide a figure into an overflow.
std::optional<double> quotient(double a, double b);

}  // namespace kelm::klplot
