#pragma once
// Display state shared by the view windows, the views, the printed pages and the
// Z-coordinate handling. Values that the message thread reads or writes while the program
// thread draws are atomics; each is one word written whole, no lock is taken.

#include <atomic>
#include <cstdint>

#include "runtime/fixed_text.h"

namespace kelm::klplot {

struct ScreenRect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;  // right: W; bottom (less 16): H
};

struct DisplayState {
  ScreenRect screenRect;
  std::int32_t fontHeight = 13;
  FixedText<32> fontSpec;

  std::atomic<std::int32_t> markerXBeam{0};
  std::atomic<std::int32_t> markerXField{0};

  // Published by the geometry view for the z-marker and the mouse: the window's left edge
  // and the viewport fractions.
  std::atomic<double> zWindowStart{0.0};
  std::atomic<float> fL{0.05f}, fR{0.95f}, fB{0.15f}, fT{1.0f};
  // Published by the magnetic field view.
  std::atomic<float> gL{0.1f}, gR{0.9f};

  // Histogram divisions: requested (1..100) and shown in the Z-coordinate dialog.
  std::atomic<std::int32_t> densityDivisions{10};
  std::atomic<std::int32_t> densityDivisionsUsed{10};

  std::int32_t width() const { return screenRect.right; }
  std::int32_t height() const { return screenRect.bottom; }
};

extern DisplayState displayState;

}  // namespace kelm::klplot
