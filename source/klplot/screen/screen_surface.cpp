#include "source/klplot/screen/screen_surface.h"

#include "source/klplot/views/display_state.h"
#include "window/graphics.h"

namespace kelm::klplot {
namespace {

// The screen views draw on the program thread only, through this one mapping.
PlotMapping screenMapping;

}  // namespace

ViewContext screenViewContext() { return screenViewContext(displayState.width(), displayState.height()); }

ViewContext screenViewContext(std::int32_t W, std::int32_t H) {
  return ViewContext{screenCanvas(), screenMapping, W, H, displayState.fontHeight, displayState.beamZoom.load()};
}

void prepareViewSurface() {
  window::setBackgroundColor(window::kWhite);
  window::setDrawColor(window::kBlack);
  window::registerFonts();
  window::selectFont(displayState.fontSpec.view());
}

}  // namespace kelm::klplot
