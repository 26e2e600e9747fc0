// kelm-export's pictures against the program's own view windows on the same screen: the PNGs
// pixel for pixel at the first viewing and after a plane chosen in the dialog, the SVGs drawn
// where the pixels are, the PDF's pages as printed, and the examples' pictures pinned.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "fuzz/klplot/counting_canvas.h"
#include "fuzz/klplot/loaded_project_views.h"
#include "source/program/menus/print_commands.h"
#include "runtime/whole_file.h"
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

bool inked(const QImage& image, int x, int y) { return image.pixel(x, y) != qRgb(255, 255, 255); }

// Within two pixels: a renderer of SVG may space the glyphs of a word a little differently.
bool inkNear(const QImage& image, int x, int y) {
  for (int dy = -2; dy <= 2; ++dy) {
    for (int dx = -2; dx <= 2; ++dx) {
      if (image.valid(x + dx, y + dy) && inked(image, x + dx, y + dy)) return true;
    }
  }
  return false;
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

TEST(ExampleImages, SimpleProjectIsDrawnPixelForPixelAsBefore) {
  const std::vector<QImage> images = drawnWithTraps(fs::path(KELM_EXAMPLES_DIR) / "simple");
  ASSERT_EQ(images.size(), 4u);
  // Debian 13's Qt 6.8 draws the same views in other pixels than Debian 12's Qt 6.4.
  const bool qt68 = std::string_view(qVersion()).starts_with("6.8.");
  EXPECT_EQ(pixelHash(images[0]), qt68 ? 0xfe7fb92912b5b4a2u : 0x7abc551917caefc2u);  // beam
  EXPECT_EQ(pixelHash(images[1]), qt68 ? 0xe4302c60c63fd5fdu : 0x78a5ee4a4f2c5c94u);  // cathode
  EXPECT_EQ(pixelHash(images[2]), qt68 ? 0x638df0a845576f44u : 0x068c065c34482e94u);  // magnetic field
  EXPECT_EQ(pixelHash(images[3]), qt68 ? 0xaf9bda74a652fdcau : 0xa565b7d1c422bbdau);  // phase plane
}

// Their pictures change with the generator, so they are drawn, not pinned.
TEST(ExampleImages, EveryOtherExampleIsDrawnWithoutATrap) {
  const fs::path examples(KELM_EXAMPLES_DIR);
  std::vector<fs::path> projects{examples / "full", examples / "planar-diode", examples / "spherical-diode",
                                 examples / "solenoid-gun"};
  for (const auto& entry : fs::directory_iterator(examples / "damaged")) projects.push_back(entry.path());
  for (const fs::path& project : projects) {
    const std::vector<QImage> images = drawnWithTraps(project);
    ASSERT_EQ(images.size(), 4u) << project;
    QImage blank(images[0].size(), images[0].format());
    blank.fill(Qt::white);
    EXPECT_NE(images[0], blank) << project;
  }
}

}  // namespace
}  // namespace kelm::exporting
