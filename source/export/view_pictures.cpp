#include "source/export/view_pictures.h"

#include <functional>

#include "source/export/envelope_view.h"
#include "source/klplot/cathode_view.h"
#include "source/klplot/display_state.h"
#include "source/klplot/field_view.h"
#include "source/klplot/geometry_view.h"
#include "source/klplot/phase_plane_view.h"
#include "source/klplot/printed_project.h"
#include "source/klplot/printer_canvas.h"
#include "source/klplot/project_readers.h"
#include "source/klplot/view_font.h"
#include "source/klplot/view_layout.h"
#include "source/klplot/view_windows.h"
#include "source/klplot/z_marker.h"
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
  const klplot::SurfaceSize wide = klplot::wideViewSurface(settings.width, settings.height);
  const float z = settings.z;
  std::vector<Picture> pictures;
  pictures.push_back(draw(kViewNames[0], wide, formats, [&] {
    const klplot::AxialFrame frame =
        klplot::drawGeometryView(klplot::screenViewContext(), data, klplot::GeometryToggles{});
    drawMarker(frame.column(z));
  }));
  pictures.push_back(
      draw(kViewNames[1], klplot::cathodeViewSurface(settings.width, settings.height), formats, [&] {
        klplot::copyCathodeRadii(data);
        klplot::drawCathodeView(klplot::screenViewContext(), data);
      }));
  pictures.push_back(draw(kViewNames[2], wide, formats, [&] {
    drawMarker(klplot::drawFieldView(klplot::screenViewContext(), data).column(z));
  }));
  pictures.push_back(draw(kViewNames[3], wide, formats, [&] {
    (void)klplot::drawPhasePlaneView(klplot::screenViewContext(), data,
                                     klplot::PhasePlaneInput{z, klplot::fieldAt(z), settings.divisions});
  }));
  return pictures;
}

std::string printedPagesPdf(klplot::ProjectData& data, const ViewSettings& settings, std::string& why) {
  prepareDisplay(settings);
  data.phaseZ.store(settings.z);
  klplot::copyCathodeRadii(data);
  constexpr klplot::PrintedPage kPages[] = {klplot::PrintedPage::geometry, klplot::PrintedPage::magneticField,
                                            klplot::PrintedPage::phasePlane,
                                            klplot::PrintedPage::cathodeDensity};
  return window::pdfDocument(
      int(std::size(kPages)),
      [&](int page, window::PrinterPage& printer, const window::PrinterFacts& facts) {
        klplot::PrinterCanvas canvas(printer);
        klplot::printProjectPage(kPages[page], canvas, facts);
      },
      why);
}

Picture drawEnvelopePicture(const klplot::ProjectData& data, const ViewSettings& settings,
                            const std::vector<PlaneFigures>& planes, PictureFormats formats) {
  prepareDisplay(settings);
  return draw("envelope", envelopeSize(settings.width, settings.height), formats,
              [&] { drawEnvelopeView(klplot::screenViewContext(), data, planes); });
}

}  // namespace kelm::exporting
