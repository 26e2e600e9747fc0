#pragma once
// The views, and the envelope, drawn into offscreen pictures exactly as the view windows
// hold them on a screen of the given size.

#include <string>
#include <vector>

#include "source/export/scan_plot_view.h"
#include "source/klplot/figures/beam_figures_along_z.h"
#include "source/klplot/project/project_data.h"

namespace kelm::exporting {

struct ViewSettings {
  int width = 1920, height = 1080;  // the screen: W and H of the views
  float z = 0.0f;                   // the plane of the phase plane and the z-markers
  int divisions = 10;               // requested histogram bins
};

struct PictureFormats {
  bool png = false, svg = false;
};

struct Picture {
  std::string name;  // file name without its extension
  std::string png, svg;
};

// The views, named by their pictureName, in the order the windows open.
std::vector<Picture> drawViewPictures(klplot::ProjectData& data, const ViewSettings& settings,
                                      PictureFormats formats);

// The printed pages of the File menu, in its order, as one PDF document on A4: its bytes,
// or empty with why.
std::string printedPagesPdf(klplot::ProjectData& data, const ViewSettings& settings, std::string& why);

Picture drawEnvelopePicture(const klplot::ProjectData& data, const ViewSettings& settings,
                            const std::vector<PlaneFigures>& planes, PictureFormats formats);

// The picture of a scan (series with at least one point), as large as the envelope's.
Picture drawScanPlotPicture(const ScanSeries& series, const ScanPlotNames& names, const ViewSettings& settings,
                            PictureFormats formats);

}  // namespace kelm::exporting
