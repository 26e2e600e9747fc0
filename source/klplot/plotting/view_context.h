#pragma once
// What every view needs besides the project: where it draws, through which mapping, and how
// large the screen is. The mapping belongs to the caller's thread, never to a global.

#include <cstdint>

#include "source/klplot/plotting/axial_zoom.h"
#include "source/klplot/plotting/canvas.h"
#include "source/klplot/plotting/plot_mapping.h"

namespace kelm::klplot {

inline constexpr std::int32_t kNavy = 0x800000;
inline constexpr std::int32_t kCyan = 0xFFFF00;
inline constexpr std::int32_t kGreen = 0x00C000;
inline constexpr std::int32_t kPurple = 0xA000A0;
inline constexpr std::int32_t kGrey = 0x808080;
inline constexpr std::int32_t kBlack = 0x000000;
inline constexpr std::int32_t kRed = 0x0000FF;

struct ViewContext {
  Canvas& canvas;
  PlotMapping& mapping;
  std::int32_t W;           // screen width
  std::int32_t H;           // screen height
  std::int32_t textHeight;  // the window's current text height, for text at point
  AxialZoom zoom{};         // what the "Beam" and "Magnetic field" windows show of the gun
};

// The device area every view uses: W - 16 by H/2 - 24.
void setViewDevice(const ViewContext& v);

}  // namespace kelm::klplot
