// Opening a directory with 10000 subdirectories in the "Select KELM projects" dialog, headless:
// the listing with a probe of each subdirectory, and the whole expansion as the user sees it
// (listing, items, and the view's layout of the new rows).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "source/program/batch/batch_dialog.h"
#include "source/program/dialog_resources.h"
#include "source/program/batch/project_tree.h"

namespace kelm {
namespace {

namespace fs = std::filesystem;

constexpr int kSubdirectories = 10000;
fs::path root;

// Every tenth subdirectory a project, every seventh with a subdirectory of its own for its probe
// to find; the others are empty, so their probe lists them to the end.
void makeTree() {
  std::string pattern = (fs::temp_directory_path() / "kelm-bench-XXXXXX").string();
  root = ::mkdtemp(pattern.data());
  for (int i = 0; i < kSubdirectories; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "dir%05d", i);
    const fs::path dir = root / "big" / name;
    fs::create_directories(i % 7 == 0 ? dir / "sub" : dir);
    if (i % 10 == 0) std::ofstream(dir / "geom.cod");
  }
}

void BM_ListWithProbes(benchmark::State& state) {
  const std::string big = (root / "big").string();
  for (auto _ : state) benchmark::DoNotOptimize(subdirectoryEntries(big));
}
BENCHMARK(BM_ListWithProbes)->Unit(benchmark::kMillisecond);

void BM_ExpandInTheDialog(benchmark::State& state) {
  int shown = 0;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog == nullptr) return;
    poll.stop();
    auto* tree = dialog->findChild<QTreeWidget*>();
    auto* drives = dialog->findChild<QComboBox*>();
    for (auto _ : state) {
      state.PauseTiming();
      emit drives->activated(drives->currentIndex());  // "big" again, collapsed, with its probe
      QTreeWidgetItem* big = tree->topLevelItem(0);
      QCoreApplication::processEvents();
      state.ResumeTiming();
      tree->expandItem(big);
      QCoreApplication::processEvents();
      shown = big->childCount();
    }
    dialog->close();
  });
  poll.start(1);
  std::int32_t result = 0;
  batchModeCommand(&result);
  state.counters["items"] = shown;
}
BENCHMARK(BM_ExpandInTheDialog)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelm

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  kelm::makeTree();
  // The tree's home is the dialog's place that holds the current directory.
  setenv("HOME", kelm::root.c_str(), 1);
  std::filesystem::current_path(kelm::root);
  kelm::resource::registerDialogs();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::current_path(std::filesystem::temp_directory_path());
  std::filesystem::remove_all(kelm::root);
  return 0;
}
