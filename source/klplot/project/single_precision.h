#pragma once
// Storing a computed double where the store holds single precision.

#include <algorithm>

namespace kelm::klplot {

// Saturates instead of overflowing: an overflow would trap on the program thread.
inline float saturatedSingle(double value) {
  constexpr double kLimit = 3.0e38;
  return static_cast<float>(std::clamp(value, -kLimit, kLimit));
}

}  // namespace kelm::klplot
