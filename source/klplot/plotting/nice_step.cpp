#include "source/klplot/plotting/nice_step.h"

namespace kelm::klplot {

NiceStep niceStep(double d, StepVariant variant) {
  if (!(d > 0.0) || d > 1e300) return {1.0, 0};
  int e = 0;
  if (variant == StepVariant::kPanel) {
    while (d >= 10.0) d *= 0.1, --e;
    while (d < 1.0) d *= 10.0, ++e;
    if (d < 2.0) return {0.25, e};
    return {d <= 5.0 ? 0.5 : 1.0, e};
  }
  while (d > 10.0) d *= 0.1, ++e;
  if (d < 2.0) return {0.25, e};
  if (variant == StepVariant::kZExtents && d == 2.0) return {1.0, e};
  return {d < 5.0 ? 0.5 : 1.0, e};
}

}  // namespace kelm::klplot
