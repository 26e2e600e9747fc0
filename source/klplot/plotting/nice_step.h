#pragma once
// Rounds a span to 0.25, 0.5 or 1 times a power of ten. The three variants differ in how the
// span is brought into a decade and in the unit boundaries; each caller uses its own.

namespace kelm::klplot {

enum class StepVariant { kZExtents, kField, kPanel };

struct NiceStep {
  double unit;   // 0.25, 0.5 or 1
  int exponent;  // z extents and field: step = unit * 10^exponent; panel: data scale 10^exponent
};

// span must be > 0; a non-positive span gets unit 1, exponent 0 rather than looping.
NiceStep niceStep(double span, StepVariant variant);

}  // namespace kelm::klplot
