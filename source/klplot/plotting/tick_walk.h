#pragma once
// The axis loops that step a single-precision value: t = first, t + step, ... while t <= last.

#include <limits>

namespace kelm::klplot {

// A range rounded outward to its step has at most 42 ticks; far more can only come from a step
// that data made tiny beside the range, and would keep the program thread drawing for minutes.
inline constexpr int kMaxAxisTicks = 1000;

// Calls tick(t) for each value. The sum is formed in double and rounded to single precision,
// which gives the single-precision sum exactly; the walk stops where that sum no longer grows
// (the step is below the spacing of floats there) or would not fit a float.
template <class Tick>
void walkTicks(float first, double last, double step, Tick tick) {
  float t = first;
  for (int n = 0; n < kMaxAxisTicks && t <= last; ++n) {
    tick(t);
    const double next = static_cast<double>(t) + step;
    if (!(next <= std::numeric_limits<float>::max()) || !(static_cast<float>(next) > t)) return;
    t = static_cast<float>(next);
  }
}

}  // namespace kelm::klplot
