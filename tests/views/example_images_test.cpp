// The bundled examples drawn into real window surfaces at 1920 by 1080, with the program
// thread's floating-point traps on. The simple project's pictures are pinned by their pixel
// hashes, so that no change to the arithmetic moves a single pixel of a normal project.
// KELM_VIEW_IMAGES=dir also writes every picture there as PNG, for comparing two builds.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "source/klplot/project_readers.h"
#include "source/klplot/view_font.h"
#include "tests/shell/recording_port.h"
#include "tests/views/counting_canvas.h"
#include "tests/views/loaded_project_views.h"
#include "tests/views/program_thread.h"
#include "window/graphics.h"
#include "window/surface.h"

namespace kelm::klplot {
namespace {

constexpr std::int32_t kWidth = 1920, kHeight = 1080;

// A view window's surface as the view windows configure it: size, white, the view font.
class ViewSurface final : public Canvas {
 public:
  ViewSurface(int width, int height) {
    surface_.image = QImage(width, height, QImage::Format_RGB32);
    surface_.image.fill(Qt::white);
  }
  const QImage& image() const { return surface_.image; }

  std::int32_t setDrawColor(std::int32_t rgb) override { return activate(), window::setDrawColor(rgb); }
  void moveTo(std::int16_t x, std::int16_t y) override { activate(), window::moveTo(x, y); }
  void lineTo(std::int16_t x, std::int16_t y) override { activate(), window::lineTo(x, y); }
  void drawRectangle(int mode, std::int16_t x1, std::int16_t y1, std::int16_t x2,
                     std::int16_t y2) override {
    activate(), window::drawRectangle(mode, x1, y1, x2, y2);
  }
  void setPixel(std::int16_t x, std::int16_t y) override { activate(), window::setPixel(x, y); }
  std::int32_t getPixelColor(std::int16_t x, std::int16_t y) override {
    return activate(), window::getPixelColor(x, y);
  }
  std::int32_t setPixelColor(std::int16_t x, std::int16_t y, std::int32_t rgb) override {
    return activate(), window::setPixelColor(x, y, rgb);
  }
  void drawText(std::string_view text) override { activate(), window::drawText(text); }
  std::int32_t windowHeight() const override { return surface_.image.height(); }

 private:
  // The window layer draws on the calling thread's active surface, in the font chosen there.
  void activate() {
    if (window::activeSurface() == &surface_) return;
    window::makeSurfaceActive(&surface_);
    if (fontSelected_) return;
    window::registerFonts();
    window::selectFont(displayState.fontSpec.view());
    fontSelected_ = true;
  }
  window::Surface surface_;
  bool fontSelected_ = false;
};

struct Pictures {
  ViewSurface beam{kWidth - 8, kHeight / 2 - 26};
  ViewSurface cathode{kWidth / 2, kHeight / 2};
  ViewSurface field{kWidth - 8, kHeight / 2 - 26};
  ViewSurface phasePlane{kWidth - 8, kHeight / 2 - 26};
};

void loadAndDraw(const std::filesystem::path& project, Pictures& p) {
  const auto home = std::filesystem::current_path();
  std::filesystem::current_path(project);
  kelm::testing::RecordingPort port;
  kelm::testing::onProgramThread([&] {
    displayState.screenRect = ScreenRect{0, 0, kWidth, kHeight};
    setViewFont(displayState);
    loadProjectFiles();
    drawLoadedProject(testing::ViewCanvases{p.beam, p.cathode, p.field, p.phasePlane}, kWidth,
                      kHeight, displayState.fontHeight, fieldAt);
    window::makeSurfaceActive(nullptr);
    testing::CountingPage page;  // the printed pages, with the traps on as well
    printLoadedProject(page);
  });
  std::filesystem::current_path(home);
}

std::uint64_t pixelHash(const QImage& image) {
  std::uint64_t h = 14695981039346656037ull;  // FNV-1a over the rows, padding left out
  for (int y = 0; y < image.height(); ++y) {
    const auto* row = image.constScanLine(y);
    for (qsizetype i = 0; i < qsizetype(image.width()) * 4; ++i) h = (h ^ row[i]) * 1099511628211ull;
  }
  return h;
}

void keepIfAsked(const std::string& example, const Pictures& p) {
  const char* dir = std::getenv("KELM_VIEW_IMAGES");
  if (dir == nullptr || *dir == '\0') return;
  std::string name = example;
  for (char& c : name) c = c == '/' ? '-' : c;
  const std::filesystem::path base = std::filesystem::path(dir) / name;
  p.beam.image().save(QString::fromStdString(base.string() + "-beam.png"));
  p.cathode.image().save(QString::fromStdString(base.string() + "-cathode.png"));
  p.field.image().save(QString::fromStdString(base.string() + "-field.png"));
  p.phasePlane.image().save(QString::fromStdString(base.string() + "-phase-plane.png"));
}

TEST(ExampleImages, SimpleProjectIsDrawnPixelForPixelAsBefore) {
  Pictures p;
  loadAndDraw(std::filesystem::path(KELM_EXAMPLES_DIR) / "simple", p);
  keepIfAsked("simple", p);
  EXPECT_EQ(pixelHash(p.beam.image()), 0xb9f9a34cd144abc2u);
  EXPECT_EQ(pixelHash(p.cathode.image()), 0x00cfb172aefa0fe5u);
  EXPECT_EQ(pixelHash(p.field.image()), 0x068c065c34482e94u);
  EXPECT_EQ(pixelHash(p.phasePlane.image()), 0x36bbf6836472397bu);
}

// Their pictures change with the generator, so they are drawn, not pinned.
TEST(ExampleImages, EveryOtherExampleIsDrawnWithoutATrap) {
  const std::filesystem::path examples(KELM_EXAMPLES_DIR);
  std::vector<std::string> names{"full"};
  for (const auto& entry : std::filesystem::directory_iterator(examples / "damaged"))
    names.push_back("damaged/" + entry.path().filename().string());
  for (const std::string& example : names) {
    Pictures p;
    loadAndDraw(examples / example, p);
    keepIfAsked(example, p);
    EXPECT_NE(pixelHash(p.beam.image()), pixelHash(ViewSurface(kWidth - 8, kHeight / 2 - 26).image()))
        << example;
  }
}

}  // namespace
}  // namespace kelm::klplot

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
