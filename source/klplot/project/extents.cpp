#include <algorithm>
#include <cmath>

#include "source/klplot/project/project_data.h"
#include "source/klplot/project/project_readers.h"
#include "source/klplot/project/single_precision.h"

namespace kelm::klplot {

namespace {

// The axial tick step: the span reduced below 10 by powers of ten chooses 0.25, 0.5 or 1.
float axialStep(double zMin, double zMax) {
  double reduced = saturatedSingle(zMax - zMin);
  int exponent = 0;
  while (reduced > 10.0) {
    reduced *= 0.1;
    ++exponent;
  }
  const float single = static_cast<float>(reduced);
  const double step = single < 2.0f ? 0.25 : single == 2.0f ? 1.0 : single < 5.0f ? 0.5 : 1.0;
  return saturatedSingle(std::pow(10.0, exponent) * step);
}

}  // namespace

void deriveExtents(ProjectData& d) {
  if (d.geomLoaded != 0) d.rAxisMax = 0.0;
  double zMax = 0.0, zMin = 1.0e10;
  for (int s = 1; s <= d.geomSegCount && s <= kMaxGeomSegments; ++s) {
    const int first = std::max(d.geomSegFirst(s), 1);
    const int last = std::min(d.geomSegLast(s), kMaxGeomPoints);
    for (int i = first; i <= last; ++i) {
      if (d.geomR(i) > d.rAxisMax) d.rAxisMax = d.geomR(i);
      if (d.geomZ(i) > zMax) zMax = d.geomZ(i);
      if (d.geomZ(i) < zMin) zMin = d.geomZ(i);
    }
  }
  if (!(zMin < zMax)) zMin = 0.0, zMax = 500.0;
  if (d.rAxisMax == 0.0) d.rAxisMax = 100.0;
  d.rAxisMax *= 1.2;
  d.rAxisMin = 0.0;

  float step = axialStep(zMin, zMax);
  double low = std::floor(zMin / step) * step;
  double high = std::ceil(zMax / step) * step;
  // Coordinates so large that the step vanishes beside them: fall back to the empty range.
  if (!(low < high) || !std::isfinite(low) || !std::isfinite(high) || std::fabs(high) > 3.0e38 ||
      std::fabs(low) > 3.0e38) {
    step = 100.0f;
    low = 0.0;
    high = 500.0;
  }
  d.zTickStep = step;
  d.zAxisMinF = static_cast<float>(low);
  d.zAxisMaxF = static_cast<float>(high);
  d.zAxisMin = d.zAxisMinF;
  d.zAxisMax = d.zAxisMaxF;
}

}  // namespace kelm::klplot
