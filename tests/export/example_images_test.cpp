// The bundled examples drawn and printed with the program thread's floating-point traps on, as
// kelm-export draws them (the pictures test shows that these are the view windows' pixels). The
// simple project's pictures are pinned by their pixel hashes, so that no change to the
// arithmetic moves a single pixel of a normal project.
#include <gtest/gtest.h>

#include <QImage>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/klplot/counting_canvas.h"
#include "fuzz/klplot/loaded_project_views.h"
#include "source/export/view_pictures.h"
#include "source/klplot/project_readers.h"
#include "tests/shell/recording_port.h"
#include "tests/views/program_thread.h"

namespace kelm::exporting {
namespace {

namespace fs = std::filesystem;

// The four views at the middle plane on a 1920 by 1080 screen, then the printed pages.
std::vector<QImage> drawnWithTraps(const fs::path& project) {
  const fs::path home = fs::current_path();
  fs::current_path(project);
  kelm::testing::RecordingPort port;
  std::vector<Picture> pictures;
  kelm::testing::onProgramThread([&] {
    klplot::loadProjectFiles();
    const klplot::ProjectData& d = klplot::projectData;
    pictures = drawViewPictures(klplot::projectData, {1920, 1080, float((d.zAxisMin + d.zAxisMax) * 0.5), 10},
                                {.png = true});
    klplot::fuzzing::CountingPage page;
    klplot::fuzzing::printLoadedProject(page);
  });
  fs::current_path(home);
  std::vector<QImage> images;
  for (const Picture& p : pictures)
    images.push_back(QImage::fromData(reinterpret_cast<const uchar*>(p.png.data()), qsizetype(p.png.size()))
                         .convertToFormat(QImage::Format_RGB32));
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
  EXPECT_EQ(pixelHash(images[0]), 0xb9f9a34cd144abc2u);  // beam
  EXPECT_EQ(pixelHash(images[1]), 0x00cfb172aefa0fe5u);  // cathode
  EXPECT_EQ(pixelHash(images[2]), 0x068c065c34482e94u);  // magnetic field
  EXPECT_EQ(pixelHash(images[3]), 0x36bbf6836472397bu);  // phase plane
}

// Their pictures change with the generator, so they are drawn, not pinned.
TEST(ExampleImages, EveryOtherExampleIsDrawnWithoutATrap) {
  const fs::path examples(KELM_EXAMPLES_DIR);
  std::vector<fs::path> projects{examples / "full"};
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
