#pragma once
// Walking an axis tick by tick: first, first + step, ... while the value is at most last,
// each value held in single precision as the axes keep their ticks.

#include <limits>

namespace kelm::klplot {

// A real axis has a few dozen ticks at most; this many means the data are hostile.
inline constexpr int kMaxAxisTicks = 1000;

// Stops early when a step no longer moves the value (it vanishes beside a large one) and
// before the value would leave single precision.
template <class Visit>
void walkTicks(float first, double last, double step, Visit visit) {
  float value = first;
  for (int k = 0; k < kMaxAxisTicks && value <= last; ++k) {
    visit(value);
    const double next = double(value) + step;
    if (!(next <= std::numeric_limits<float>::max())) return;
    const float nextValue = static_cast<float>(next);
    if (!(nextValue > value)) return;
    value = nextValue;
  }
}

}  // namespace kelm::klplot
