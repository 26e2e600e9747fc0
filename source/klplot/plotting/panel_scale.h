#pragma once
// The scale of the small figures (the screen's panels and the printed figures): each axis
// normalised by a power of ten into [1, 10), a nice unit, and the tick values in those units.

#include <array>
#include <string_view>

namespace kelm::klplot {

// The rule gives at most 13 ticks; a list stops at its room rather than overrun it.
inline constexpr int kMaxPanelTicks = 20;

struct TickList {
  std::array<float, kMaxPanelTicks> t{};
  int n = 0;
  // Tick k, counted from 0 as n counts them.
  float& operator[](int k) { return t[static_cast<std::size_t>(k)]; }
  float operator[](int k) const { return t[static_cast<std::size_t>(k)]; }
  double first() const { return t[0]; }
  double last() const { return (*this)[n - 1]; }
};

struct PanelScale {
  int ex = 0, ey = 0;         // data * 10^e are the normalised units
  double fx = 1.0, fy = 1.0;  // 10^ex, 10^ey
  TickList x, y;              // x from 0; y from at or just below ymin
};

// xmax, ymin, ymax as found in the data, each already widened to include 0. An empty range
// becomes 10 wide, so that both axes always exist.
PanelScale panelScale(double xmax, double ymin, double ymax);

// The y labels: four decimals, or two significant digits once the data are scaled by 10^3 or
// more (spans of about 0.001 and less), where four decimals would show nothing.
inline std::string_view panelLabelFormat(int ey) { return ey < 3 ? "(F7.4)" : "(G8.2)"; }

// Crowded axes label only their odd ticks (1, 3, 5, ...); k counts from 0 here.
inline bool tickLabelled(int k, int tickCount, int crowdedAbove) {
  return tickCount <= crowdedAbove || k % 2 == 0;
}

}  // namespace kelm::klplot
