// Start-up of the window layer, headless: the frame with its menus, status bar and "Output"
// window created and shown, then taken down again.
#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>

#include "window/frame_window.h"
#include "window/layer.h"

namespace {

void BM_FrameShown(benchmark::State& state) {
  for (auto _ : state) {
    kelm::window::createLayerWindows();
    kelm::window::layer().frame->show();
    QCoreApplication::processEvents();
    kelm::window::destroyLayerWindows();
  }
}
BENCHMARK(BM_FrameShown)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
