#include "source/klplot/screen/screen_surface.h"

#include "source/klplot/views/display_state.h"
#include "window/graphics.h"

namespace kelm::klplot {
namespace {

// The screen views draw on the program thread only, through this one mapping.
PlotMapping screenMapping;

}  // namespace

ViewContext screenViewContext() {
  return ViewContext{screenCanvas(), screenMapping, displayState.width(), displayState.height(),
                     displayState.fontHeight, displayState.beamZoom.load()};
}

void prepareViewSurface() {
  window::setBackgroundColor(window::kWhite);
  window::setDrawColor(window::kBlack);
  window::registerFonts();
  window::selectFont(displayState.fontSpec.view());
}

}  // namespace kelm::klplot
