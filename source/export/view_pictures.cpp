#include "source/export/view_pictures.h"

#include <functional>

#include "source/klplot/pages/printed_project.h"
#include "source/klplot/pages/printer_canvas.h"
#include "source/klplot/pages/view_table.h"
#include "source/klplot/project/project_readers.h"
#include "source/klplot/screen/screen_surface.h"
#include "source/program/program_words.h"
#include "source/klplot/views/cathode_view.h"
#include "source/klplot/views/display_state.h"
#include "source/klplot/views/envelope_view.h"
#include "source/klplot/views/view_font.h"
#include "source/klplot/views/z_marker.h"
#include "window/graphics.h"
#include "window/offscreen.h"
#include "window/printing.h"

namespace kelm::exporting {
namespace {

using klplot::displayState;

// One picture of the given size, prepared and cleared as a view window is when it opens.
Picture draw(const std::string& name, klplot::SurfaceSize size, PictureFormats formats,
             const std::function<void()>& drawing) {
  window::OffscreenPicture picture(size.width, size.height, formats.svg ? name : std::string());
  picture.makeActive();
  klplot::prepareViewSurface();
  window::clearWindow(0);
  drawing();
  Picture result{name, {}, {}};
  if (formats.png) result.png = picture.png();
  if (formats.svg) result.svg = picture.svg();
  return result;
}

void drawMarker(std::int32_t column) {
  klplot::MarkerSave save;
  klplot::drawMarkerLine(klplot::screenCanvas(), save, column);
}

// The screen and the text height the views lay themselves out by.
void prepareDisplay(const ViewSettings& settings) {
  displayState.screenRect = klplot::ScreenRect{0, 0, settings.width, settings.height};
  klplot::setViewFont(displayState);
  displayState.densityDivisions.store(settings.divisions);
}

}  // namespace

std::vector<Picture> drawViewPictures(klplot::ProjectData& data, const ViewSettings& settings,
                                      PictureFormats formats) {
  prepareDisplay(settings);
  data.phaseZ.store(settings.z);
  const float z = settings.z;
  const klplot::ViewInputs inputs{klplot::GeometryToggles{}, z, klplot::fieldAt(z), settings.divisions};
  std::vector<Picture> pictures;
  for (const klplot::ViewRow& view : klplot::viewRows()) {
    pictures.push_back(draw(view.pictureName, view.surface(settings.width, settings.height), formats, [&] {
      const klplot::ViewDrawn drawn = view.draw(klplot::screenViewContext(), data, inputs);
      if (drawn.markerColumn) drawMarker(*drawn.markerColumn);
    }));
  }
  return pictures;
}

std::string printedPagesPdf(klplot::ProjectData& data, const ViewSettings& settings, std::string& why) {
  prepareDisplay(settings);
  data.phaseZ.store(settings.z);
  const auto pages = klplot::printedViewRows();
  return window::pdfDocument(
      kPrintWords.documentName, int(pages.size()),
      [&](int page, window::PrinterPage& printer, const window::PrinterFacts& facts) {
        klplot::PrinterCanvas canvas(printer);
        klplot::printProjectPage(*pages[static_cast<std::size_t>(page)], canvas, facts, data,
                                 {{}, settings.z, klplot::fieldAt(settings.z), settings.divisions});
      },
      why);
}

Picture drawEnvelopePicture(const klplot::ProjectData& data, const ViewSettings& settings,
                            const std::vector<PlaneFigures>& planes, PictureFormats formats) {
  prepareDisplay(settings);
  return draw("envelope", envelopeSize(settings.width, settings.height), formats,
              [&] { drawEnvelopeView(klplot::screenViewContext(), data, planes); });
}

Picture drawScanPlotPicture(const ScanSeries& series, const ScanPlotNames& names, const ViewSettings& settings,
                            PictureFormats formats) {
  prepareDisplay(settings);
  return draw("scan-plot", envelopeSize(settings.width, settings.height), formats,
              [&] { drawScanPlot(klplot::screenViewContext(), series, names); });
}

}  // namespace kelm::exporting
