#pragma once
// Display state shared by the view windows, the views, the printed pages and the
// Z-coordinate handling. Values that the message thread reads or writes while the program
// thread draws are atomics, each one word written whole; the frames, several words that
// belong together, are copied whole under a lock.

#include <atomic>
#include <cstdint>
#include <mutex>

#include "runtime/fixed_text.h"
#include "source/klplot/plotting/axial_frame.h"
#include "source/klplot/plotting/axial_zoom.h"

namespace kelm::klplot {

struct ScreenRect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;  // right: W; bottom (less 16): H
};

// A value written by one thread and read by another, always whole.
template <class T>
class Shared {
 public:
  void store(const T& value) {
    const std::lock_guard lock(mutex_);
    value_ = value;
  }
  T load() const {
    const std::lock_guard lock(mutex_);
    return value_;
  }

 private:
  mutable std::mutex mutex_;
  T value_{};
};

struct DisplayState {
  ScreenRect screenRect;
  std::int32_t fontHeight = 13;
  FixedText<32> fontSpec;

  std::atomic<std::int32_t> markerXBeam{0};
  std::atomic<std::int32_t> markerXField{0};

  // The frames the "Beam" and "Magnetic field" windows were last drawn in, for the z-marker,
  // the mouse and the Z-coordinate dialog.
  Shared<AxialFrame> beamFrame;
  Shared<AxialFrame> fieldFrame;
  // Set by the zoom gestures on the message thread. It outlives the view windows, so that a
  // reload of the same project keeps it; loading another project resets it.
  Shared<AxialZoom> beamZoom;

  // Histogram divisions: requested (1..100) and shown in the Z-coordinate dialog.
  std::atomic<std::int32_t> densityDivisions{10};
  std::atomic<std::int32_t> densityDivisionsUsed{10};

  std::int32_t width() const { return screenRect.right; }
  std::int32_t height() const { return screenRect.bottom; }
};

extern DisplayState displayState;

}  // namespace kelm::klplot
