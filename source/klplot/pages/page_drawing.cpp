#include "source/klplot/pages/page_drawing.h"

#include <cmath>

#include "source/klplot/plotting/nice_step.h"

namespace kelm::klplot {

double pageZWindowStart(const ProjectData& d) {
  const NiceStep decade = niceStep(d.zAxisMax - d.zAxisMin, StepVariant::kZExtents);
  const double p = std::pow(10.0, decade.exponent);
  const double start = std::trunc(d.zAxisMin / p) * p;
  return start < d.zAxisMax ? start : d.zAxisMin;
}

}  // namespace kelm::klplot
