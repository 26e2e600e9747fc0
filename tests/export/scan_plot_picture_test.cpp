// The picture of a scan: each point where the CSV's values put it on the rounded axes, each
// line in its own colour, and the rows that failed nowhere.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>

#include "source/export/scan_plot_run.h"
#include "source/export/view_pictures.h"

namespace kelm::exporting {
namespace {

// Two voltages, three anode positions each; a failed point and one without a perveance.
constexpr const char* kSummary =
    "directory,anode_z,volts,status,perveance [uP]\n"
    "p1,0,10000,solved,1\n"
    "p2,5,10000,solved,2\n"
    "p3,10,10000,solved,3\n"
    "p4,0,20000,solved,3\n"
    "p5,5,20000,solved,4\n"
    "p6,10,20000,solved,5\n"
    "p7,3,10000,failed: net did not converge,4.6\n"
    "p8,8,20000,not solved,\n";

// The data span 0 to 10 and 1 to 5, already whole nice steps (2.5 and 0.5), so the axes end
// there. The device of an 800 x 600 screen is 784 by 2 * (300 - 24) pixels.
constexpr double kX0 = 0, kX1 = 10, kY0 = 1, kY1 = 5;
constexpr double kDeviceW = 784, kDeviceH = 552;

QPoint pixelOf(double x, double y) {
  const double fx = kScanPlotLeft + (x - kX0) / (kX1 - kX0) * (kScanPlotRight - kScanPlotLeft);
  const double fy = kScanPlotBottom + (y - kY0) / (kY1 - kY0) * (kScanPlotTop - kScanPlotBottom);
  return {int(std::trunc(fx * kDeviceW)), int(std::trunc((1.0 - fy) * kDeviceH))};
}

QRgb rgbOf(std::int32_t bgr) { return qRgb(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

// Within a pixel of where the test puts it: the mapping rounds in single precision.
bool colourNear(const QImage& image, QPoint p, QRgb colour) {
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      if (image.valid(p.x() + dx, p.y() + dy) && image.pixel(p.x() + dx, p.y() + dy) == colour) return true;
    }
  }
  return false;
}

QImage plotted(const ExportOptions& options) {
  ScanPlot plot;
  std::string why;
  EXPECT_EQ(scanPlotOf(kSummary, options, plot, why), ScanPlotReady::kReady) << why;
  const Picture picture = drawScanPlotPicture(plot.series, plot.names, ViewSettings{800, 600}, {true, false});
  return QImage::fromData(reinterpret_cast<const uchar*>(picture.png.data()), int(picture.png.size()), "PNG")
      .convertToFormat(QImage::Format_RGB32);
}

TEST(ScanPlotPicture, PointsLandWhereTheirValuesPutThemOneColourPerGroup) {
  ExportOptions options;
  options.plotX = "anode_z", options.plotY = "perveance", options.plotGroup = "volts";
  const QImage image = plotted(options);
  ASSERT_EQ(image.size(), QSize(792, 2 * (300 - 26)));
  const QRgb low = rgbOf(scanLineColour(0)), high = rgbOf(scanLineColour(1));
  ASSERT_NE(low, high);
  struct Case {
    double x, y;
    QRgb colour;
  } cases[] = {
      {0, 1, low}, {5, 2, low}, {10, 3, low}, {2.5, 1.5, low},  // the last between two points
      {0, 3, high}, {5, 4, high}, {10, 5, high}, {7.5, 4.5, high},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(colourNear(image, pixelOf(c.x, c.y), c.colour)) << c.x << ", " << c.y;
    EXPECT_FALSE(colourNear(image, pixelOf(c.x, c.y), c.colour == low ? high : low)) << c.x << ", " << c.y;
  }
  // The failed point is not drawn: white paper there.
  EXPECT_EQ(image.pixel(pixelOf(3, 4.6)), qRgb(255, 255, 255));
}

TEST(ScanPlotPicture, WithoutGroupOneLineJoinsThePointsInOrderOfX) {
  ExportOptions options;
  options.plotX = "anode_z", options.plotY = "perveance [uP]";
  const QImage image = plotted(options);
  const QRgb line = rgbOf(scanLineColour(0));
  // Sorted by x, the line goes 0,1 -> 0,3 -> 5,2 -> 5,4 -> 10,3 -> 10,5.
  for (const auto& [x, y] : {std::pair{0.0, 1.0}, {0.0, 2.0}, {2.5, 2.5}, {7.5, 3.5}, {10.0, 4.0}, {10.0, 5.0}})
    EXPECT_TRUE(colourNear(image, pixelOf(x, y), line)) << x << ", " << y;
  EXPECT_EQ(image.pixel(pixelOf(3, 4.6)), qRgb(255, 255, 255));
}

}  // namespace
}  // namespace kelm::exporting
