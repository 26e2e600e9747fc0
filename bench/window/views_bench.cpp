// The four views of the full example project drawn into their windows' images on a
// 1920x1080 screen, headless: each view's drawing, the first viewing as a whole, and what the
// images and the store keep resident.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "source/klplot/views/display_state.h"
#include "source/klplot/project/project_data.h"
#include "source/klplot/project/project_readers.h"
#include "source/klplot/screen/screen_surface.h"
#include "source/program/display/view_windows.h"
#include "window/frame.h"
#include "window/frame_window.h"
#include "window/layer.h"
#include "window/graphics.h"

namespace kelm::klplot {
namespace {

double residentMegabytes() {
  long pages = 0, resident = 0;
  std::ifstream("/proc/self/statm") >> pages >> resident;
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1048576.0;
}

double residentBeforeViews = 0.0;  // the program with its store loaded, before any view window

ViewContext context() {
  static PlotMapping mapping;
  return ViewContext{screenCanvas(), mapping, displayState.width(), displayState.height(),
                     displayState.fontHeight};
}

// Each view's drawing into its window, with a new plane each time, so that the crossing search
// of the phase plane runs in full.
void BM_View(benchmark::State& state, const ViewRow* view) {
  float z = 5.0f;
  for (auto _ : state) {
    z = z < 50.0f ? z + 0.7f : 5.0f;
    projectData.phaseZ.store(z);
    window::setActiveWindow(view->unit);
    window::clearScreen(0);
    (void)view->draw(context(), projectData, ViewInputs{GeometryToggles{}, z, fieldAt(z), 10});
    QCoreApplication::processEvents();  // the paint of the finished image, as on screen
  }
}

// Opening the four windows and the first drawing of each, then taking them down again.
void BM_FirstViewing(benchmark::State& state) {
  for (auto _ : state) {
    closeViewWindows();
    openViewWindows();
    QCoreApplication::processEvents();
  }
  state.counters["resident_MB"] = residentMegabytes();
  state.counters["views_MB"] = residentMegabytes() - residentBeforeViews;
  state.counters["store_MB"] = static_cast<double>(sizeof(ProjectData)) / 1048576.0;
}

BENCHMARK(BM_FirstViewing)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelm::klplot

int main(int argc, char** argv) {
  // One 1920x1080 offscreen screen, the size the targets are stated for.
  const auto config = std::filesystem::temp_directory_path() / "kelm-bench-screen.json";
  std::ofstream(config) << R"({"screens":[{"name":"bench","x":0,"y":0,"width":1920,"height":1080,)"
                           R"("logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})";
  const std::string platform = "offscreen:configfile=" + config.string();
  setenv("QT_QPA_PLATFORM", platform.c_str(), 0);
  QApplication app(argc, argv);
  kelm::window::createLayerWindows();
  kelm::window::layer().frame->show();
  std::filesystem::current_path(std::filesystem::path(KELM_EXAMPLES_DIR) / "full");
  kelm::klplot::loadProjectFiles(kelm::klplot::projectData);
  kelm::klplot::residentBeforeViews = kelm::klplot::residentMegabytes();
  kelm::klplot::openViewWindows();
  std::printf("screen %dx%d\n", kelm::klplot::displayState.width(), kelm::klplot::displayState.height());
  for (const kelm::klplot::ViewRow& view : kelm::klplot::viewRows())
    benchmark::RegisterBenchmark((std::string("BM_View/") + view.pictureName).c_str(), kelm::klplot::BM_View, &view)
        ->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  kelm::klplot::closeViewWindows();
  kelm::window::destroyLayerWindows();
  return 0;
}
