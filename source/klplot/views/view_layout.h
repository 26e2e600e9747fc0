#pragma once
// Sizes and positions the view windows derive from the screen width and the z extents.

#include <cstdint>

namespace kelm::klplot {

std::int32_t fontHeightForWidth(std::int32_t w);

// The drawing surfaces of the view windows on a W x H screen: "Beam", "Magnetic field" and
// "Phase plane" nearly as wide as the screen and under half its height, "Cathode" a quarter
// of the screen.
struct SurfaceSize {
  std::int32_t width, height;
};
inline SurfaceSize wideViewSurface(std::int32_t W, std::int32_t H) { return {W - 8, H / 2 - 26}; }
inline SurfaceSize cathodeViewSurface(std::int32_t W, std::int32_t H) { return {W / 2, H / 2}; }

// The screen a view's layout would give a surface of at least this size: a view window the user
// resized is drawn as its view would be on that screen, so that it fills the window.
struct ScreenSize {
  std::int32_t W, H;
};
ScreenSize screenForSurface(SurfaceSize (*surface)(std::int32_t W, std::int32_t H), SurfaceSize size);

}  // namespace kelm::klplot
