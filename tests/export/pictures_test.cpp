// kelm-export's pictures against the program's own view windows on the same screen: the PNGs
// pixel for pixel at the first viewing and after a plane chosen in the dialog, the SVGs drawn
// where the pixels are, the PDF's pages as printed, the examples' pictures pinned, and a scan's
// points where its values put them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "fuzz/klplot/counting_canvas.h"
#include "fuzz/klplot/loaded_project_views.h"
#include "source/program/menus/print_commands.h"
#include "runtime/whole_file.h"
#include "source/export/scan_plot_run.h"
#include "source/export/scan_plot_view.h"
#include "source/export/view_pictures.h"
#include "source/klplot/views/display_state.h"
#include "source/klplot/project/project_readers.h"
#include "source/program/dialog_resources.h"
#include "source/program/display/view_windows.h"
#include "source/program/request_flags.h"
#include "tests/print/command_output.h"
#include "tests/records/temp_directory.h"
#include "tests/records/recording_port.h"
#include "tests/shell/z_dialog_answer.h"
#include "tests/views/program_thread.h"
#include "window/child_window.h"
#include "window/frame_window.h"
#include "window/layer.h"

namespace kelm::exporting {
namespace {

namespace fs = std::filesystem;
using klplot::displayState;
using klplot::projectData;
using runtime::writeWholeFile;

// The windows in the order the pictures come.
constexpr int kUnits[] = {klplot::kBeamUnit, klplot::kCathodeUnit, klplot::kFieldUnit,
                          klplot::kPhasePlaneUnit};

QImage windowImage(int unit) {
  window::Surface& surface = window::findUnitWindow(unit).child->surface();
  std::lock_guard guard(surface.lock);
  return surface.image.copy();
}

constexpr QRgb kWhite = qRgb(255, 255, 255);

bool inked(const QImage& image, int x, int y) { return image.pixel(x, y) != kWhite; }

// Whether a pixel within `reach` of (x, y) matches.
template <class Match>
bool anyNear(const QImage& image, int x, int y, int reach, Match match) {
  for (int dy = -reach; dy <= reach; ++dy) {
    for (int dx = -reach; dx <= reach; ++dx) {
      if (image.valid(x + dx, y + dy) && match(image.pixel(x + dx, y + dy))) return true;
    }
  }
  return false;
}

// Within two pixels: a renderer of SVG may space the glyphs of a word a little differently.
bool inkNear(const QImage& image, int x, int y) {
  return anyNear(image, x, y, 2, [](QRgb pixel) { return pixel != kWhite; });
}

// One page of a PDF as pixels, black and white.
std::string pagePixels(const std::string& pdf, int page) {
  return kelm::testing::commandOutput("pdftoppm -r 50 -mono -f " + std::to_string(page) + " -l " +
                                      std::to_string(page) + " -singlefile '" + pdf + "'");
}

QImage decoded(const std::string& png) {
  return QImage::fromData(reinterpret_cast<const uchar*>(png.data()), int(png.size()), "PNG")
      .convertToFormat(QImage::Format_RGB32);
}

class Pictures : public ::testing::Test {
 protected:
  void SetUp() override {
    window::createLayerWindows();
    window::layer().frame->show();
    resource::registerDialogs();
  }
  void TearDown() override { window::destroyLayerWindows(); }

  // Loads and opens the windows as the display driver does, up to its first pass.
  void show(const char* project) {
    fs::current_path(fs::path(KELM_EXAMPLES_DIR) / project);
    klplot::loadProjectFiles(klplot::projectData);
    fs::current_path(home_);
    klplot::openViewWindows();
    phasePlaneRequested.store(1);
    klplot::serveViewRequests();
  }

  ViewSettings screen(float z, int divisions) const {
    return {displayState.width(), displayState.height(), z, divisions};
  }

  const fs::path home_ = fs::current_path();
  kelm::testing::RecordingPort port_;
};

void expectWindowsHold(const std::vector<Picture>& pictures, const char* when) {
  ASSERT_EQ(pictures.size(), std::size(kUnits));
  for (std::size_t v = 0; v < pictures.size(); ++v) {
    const QImage window = windowImage(kUnits[v]);
    const QImage picture = decoded(pictures[v].png);
    ASSERT_EQ(picture.size(), window.size()) << pictures[v].name << " " << when;
    EXPECT_TRUE(picture == window) << pictures[v].name << " " << when;
  }
}

TEST_F(Pictures, PngsAreTheViewWindowsPixelForPixel) {
  for (const char* project : {"simple", "full"}) {
    show(project);
    const float middle = projectData.phaseZ.load();
    // The divisions stay as the last dialog left them, from one project to the next.
    expectWindowsHold(
        drawViewPictures(projectData, screen(middle, displayState.densityDivisions.load()), {.png = true}),
        project);

    // A plane and divisions typed into the dialog: the markers move, the phase plane follows.
    kelm::testing::answerZDialog("41.5", "7");
    klplot::serveViewRequests();
    expectWindowsHold(drawViewPictures(projectData, screen(41.5f, 7), {.png = true}), project);
    klplot::closeViewWindows();
  }
}

TEST_F(Pictures, SvgsDrawWhereThePixelsAre) {
  show("full");
  const std::vector<Picture> pictures =
      drawViewPictures(projectData, screen(projectData.phaseZ.load(), 10), {.png = true, .svg = true});
  klplot::closeViewWindows();
  for (const Picture& p : pictures) {
    const QImage pixels = decoded(p.png);
    QSvgRenderer svg(QByteArray(p.svg.data(), qsizetype(p.svg.size())));
    ASSERT_TRUE(svg.isValid()) << p.name;
    EXPECT_EQ(svg.viewBox().size(), pixels.size()) << p.name;
    QImage rendered(pixels.size(), QImage::Format_RGB32);
    rendered.fill(Qt::white);
    {
      QPainter painter(&rendered);
      painter.setRenderHint(QPainter::Antialiasing, false);
      painter.setRenderHint(QPainter::TextAntialiasing, false);
      svg.render(&painter);
    }
    // Glyphs are smoothed and spaced by the renderer; nothing may stand further off.
    long strays = 0, drawn = 0;
    for (int y = 0; y < pixels.height(); ++y) {
      for (int x = 0; x < pixels.width(); ++x) {
        const bool inPixels = inked(pixels, x, y), inVectors = inked(rendered, x, y);
        drawn += inPixels;
        if (inPixels && !inkNear(rendered, x, y)) ++strays;
        if (inVectors && !inkNear(pixels, x, y)) ++strays;
      }
    }
    EXPECT_GT(drawn, 1000) << p.name;
    EXPECT_LT(strays, drawn / 1000 + 1) << p.name;
  }
}

TEST_F(Pictures, PdfHoldsThePagesTheFileMenuPrints) {
  show("simple");
  klplot::closeViewWindows();
  kelm::testing::TempDirectory scratch;
  std::string why;
  const std::string exported = (scratch.path() / "exported.pdf").string();
  ASSERT_TRUE(
      writeWholeFile(exported, printedPagesPdf(projectData, screen(projectData.phaseZ.load(), 10), why), why))
      << why;
  const std::string info = kelm::testing::commandOutput("pdfinfo '" + exported + "'");
  const QString shown = QString::fromStdString(info);
  EXPECT_TRUE(shown.contains(QRegularExpression("\nPages: +4\n"))) << info;
  EXPECT_TRUE(shown.contains(QRegularExpression("\nPage size: .*\\(A4\\)"))) << info;

  const auto views = klplot::printedViewRows();
  for (int page = 1; page <= klplot::kViewCount; ++page) {
    const std::string printed = (scratch.path() / ("printed-" + std::to_string(page) + ".pdf")).string();
    ::setenv("KELM_PRINT_TO", printed.c_str(), 1);
    std::int32_t state = 0;
    printCommandOf(*views[static_cast<std::size_t>(page - 1)])(&state);
    ::unsetenv("KELM_PRINT_TO");
    const std::string pixels = pagePixels(printed, 1);
    ASSERT_GT(pixels.size(), 1000u) << "page " << page;
    EXPECT_TRUE(pagePixels(exported, page) == pixels) << "page " << page;
  }
}

// The bundled examples drawn and printed with the program thread's floating-point traps on, as
// kelm-export draws them. The simple project's pictures are pinned by their pixel hashes, so that
// no change to the arithmetic moves a single pixel of a normal project. Here: the four views at
// the middle plane on a 1920 by 1080 screen, then the printed pages.
std::vector<QImage> drawnWithTraps(const fs::path& project) {
  const fs::path home = fs::current_path();
  fs::current_path(project);
  kelm::testing::RecordingPort port;
  std::vector<Picture> pictures;
  kelm::testing::onProgramThread([&] {
    klplot::loadProjectFiles(klplot::projectData);
    const klplot::ProjectData& d = klplot::projectData;
    pictures = drawViewPictures(klplot::projectData, {1920, 1080, float((d.zAxisMin + d.zAxisMax) * 0.5), 10},
                                {.png = true});
    klplot::fuzzing::CountingPage page;
    klplot::fuzzing::printLoadedProject(page);
  });
  fs::current_path(home);
  std::vector<QImage> images;
  for (const Picture& p : pictures) images.push_back(decoded(p.png));
  return images;
}

std::uint64_t pixelHash(const QImage& image) {
  std::uint64_t h = 14695981039346656037ull;  // FNV-1a over the rows, padding left out
  for (int y = 0; y < image.height(); ++y) {
    const auto* row = image.constScanLine(y);
    for (qsizetype i = 0; i < qsizetype(image.width()) * 4; ++i) h = (h ^ row[i]) * 1099511628211ull;
  }
  return h;
}

// Every other example's pictures change with the generator, so they are drawn, not pinned.
TEST(ExampleImages, EveryExampleIsDrawnWithoutATrapAndTheSimpleOneAsBefore) {
  // Debian 13's Qt 6.8 draws the same views in other pixels than Debian 12's Qt 6.4.
  const bool qt68 = std::string_view(qVersion()).starts_with("6.8.");
  const std::uint64_t pinned[] = {qt68 ? 0xfe7fb92912b5b4a2u : 0x7abc551917caefc2u,   // beam
                                  qt68 ? 0xe4302c60c63fd5fdu : 0x78a5ee4a4f2c5c94u,   // cathode
                                  qt68 ? 0x638df0a845576f44u : 0x068c065c34482e94u,   // magnetic field
                                  qt68 ? 0xaf9bda74a652fdcau : 0xa565b7d1c422bbdau};  // phase plane
  const fs::path examples(KELM_EXAMPLES_DIR);
  std::vector<fs::path> projects{examples / "simple", examples / "full", examples / "planar-diode",
                                 examples / "spherical-diode", examples / "solenoid-gun"};
  for (const auto& entry : fs::directory_iterator(examples / "damaged")) projects.push_back(entry.path());
  for (const fs::path& project : projects) {
    const std::vector<QImage> images = drawnWithTraps(project);
    ASSERT_EQ(images.size(), 4u) << project;
    QImage blank(images[0].size(), images[0].format());
    blank.fill(Qt::white);
    EXPECT_NE(images[0], blank) << project;
    for (std::size_t v = 0; v < images.size() && project == projects[0]; ++v)
      EXPECT_EQ(pixelHash(images[v]), pinned[v]) << v;
  }
}

// A scan's summary: two voltages, three anode positions each; a failed point and one without a
// perveance.
constexpr const char* kScanSummary =
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
QPoint scanPixel(double x, double y) {
  const double fx = kScanPlotLeft + x / 10 * (kScanPlotRight - kScanPlotLeft);
  const double fy = kScanPlotBottom + (y - 1) / 4 * (kScanPlotTop - kScanPlotBottom);
  return {int(std::trunc(fx * 784)), int(std::trunc((1.0 - fy) * 552))};
}

QRgb rgbOf(std::int32_t bgr) { return qRgb(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

TEST(ScanPlotPicture, PointsLandWhereTheirValuesPutThemOneColourPerLine) {
  const struct {
    const char *y, *group;
    std::vector<std::tuple<double, double, int>> inked;  // x, y and the line's index
  } cases[] = {
      // The last of each group between two points.
      {"perveance",
       "volts",
       {{0, 1, 0}, {5, 2, 0}, {10, 3, 0}, {2.5, 1.5, 0}, {0, 3, 1}, {5, 4, 1}, {10, 5, 1}, {7.5, 4.5, 1}}},
      // Without a group, sorted by x, the line goes 0,1 -> 0,3 -> 5,2 -> 5,4 -> 10,3 -> 10,5.
      {"perveance [uP]", nullptr, {{0, 1, 0}, {0, 2, 0}, {2.5, 2.5, 0}, {7.5, 3.5, 0}, {10, 4, 0}, {10, 5, 0}}},
  };
  const QRgb colours[] = {rgbOf(scanLineColour(0)), rgbOf(scanLineColour(1))};
  ASSERT_NE(colours[0], colours[1]);
  for (const auto& c : cases) {
    ExportOptions options;
    options.plotX = "anode_z", options.plotY = c.y;
    if (c.group) options.plotGroup = c.group;
    ScanPlot plot;
    std::string why;
    ASSERT_EQ(scanPlotOf(kScanSummary, options, plot, why), ScanPlotReady::kReady) << why;
    const QImage image = decoded(drawScanPlotPicture(plot.series, plot.names, {800, 600}, {.png = true}).png);
    ASSERT_EQ(image.size(), QSize(792, 2 * (300 - 26)));
    // Within a pixel of where the test puts it: the mapping rounds in single precision.
    for (const auto& [x, y, line] : c.inked) {
      const QPoint p = scanPixel(x, y);
      const auto near = [&](QRgb colour) {
        return anyNear(image, p.x(), p.y(), 1, [&](QRgb at) { return at == colour; });
      };
      EXPECT_TRUE(near(colours[line])) << x << ", " << y;
      EXPECT_FALSE(near(colours[1 - line])) << x << ", " << y;
    }
    EXPECT_EQ(image.pixel(scanPixel(3, 4.6)), kWhite);  // the failed point
  }
}

}  // namespace
}  // namespace kelm::exporting
