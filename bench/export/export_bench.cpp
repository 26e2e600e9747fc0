// kelm-export on the full example project, each step on its own and the whole run: loading,
// the four views as PNG and as SVG, the printed pages as PDF, the envelope, the figures along
// z (default and 1000 planes) and the crossings, each written to a file; and the summary of a
// scan of 2000 projects in one and in two processes.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "records/silent_port.h"
#include "source/export/figure_tables.h"
#include "runtime/whole_file.h"
#include "source/export/project_export.h"
#include "source/export/view_pictures.h"
#include "source/klplot/project/project_readers.h"
#include "window/offscreen.h"

namespace kelm::exporting {
namespace {

namespace fs = std::filesystem;
using klplot::projectData;
using runtime::writeWholeFile;

const fs::path kFull = fs::path(KELM_EXAMPLES_DIR) / "full";
const fs::path kOut = fs::temp_directory_path() / ("kelm-bench-export-" + std::to_string(::getpid()));

void write(const std::string& name, const std::string& bytes) {
  std::string error;
  if (!writeWholeFile((kOut / name).string(), bytes, error)) std::fprintf(stderr, "%s\n", error.c_str());
}

ViewSettings fullHd() {
  return {1920, 1080, static_cast<float>((projectData.zAxisMin + projectData.zAxisMax) * 0.5), 10};
}

void BM_Load(benchmark::State& state) {
  for (auto _ : state) {
    fs::current_path(kFull);
    klplot::loadProjectFiles(klplot::projectData);
    fs::current_path(kOut);
  }
}

void BM_ViewPictures(benchmark::State& state) {
  const PictureFormats formats{state.range(0) == 0, state.range(0) == 1};
  for (auto _ : state) {
    for (const Picture& p : drawViewPictures(projectData, fullHd(), formats)) {
      if (formats.png) write(p.name + ".png", p.png);
      if (formats.svg) write(p.name + ".svg", p.svg);
    }
  }
  state.SetLabel(formats.png ? "four PNGs" : "four SVGs");
}

void BM_PrintedPagesPdf(benchmark::State& state) {
  std::string why;
  for (auto _ : state) write("pages.pdf", printedPagesPdf(projectData, fullHd(), why));
}

void BM_FiguresCsv(benchmark::State& state) {
  for (auto _ : state) {
    const auto planes = planesAlong(projectData.zAxisMin, projectData.zAxisMax, int(state.range(0)));
    write("figures.csv",
          figuresCsv(figuresAlong(projectData, planes), BeamEnergy(projectData, {}), {}, true));
  }
  state.SetLabel(std::to_string(state.range(0)) + " planes");
}

void BM_Envelope(benchmark::State& state) {
  for (auto _ : state) {
    const auto planes =
        figuresAlong(projectData, planesAlong(projectData.zAxisMin, projectData.zAxisMax, 200));
    write("envelope.png", drawEnvelopePicture(projectData, fullHd(), planes, {.png = true}).png);
  }
}

void BM_CrossingsCsv(benchmark::State& state) {
  auto crossings = std::make_unique<klplot::Crossings>();
  for (auto _ : state) {
    klplot::findCrossings(projectData, fullHd().z, *crossings);
    write("crossings.csv", crossingsCsv(*crossings, projectData, {}, true));
  }
}

// Standard error set aside while a run reports its lines there.
class QuietStderr {
 public:
  QuietStderr() {
    std::fflush(stderr);
    ::dup2(null_, 2);
  }
  ~QuietStderr() {
    ::dup2(saved_, 2);
    ::close(null_);
    ::close(saved_);
  }
  QuietStderr(const QuietStderr&) = delete;
  QuietStderr& operator=(const QuietStderr&) = delete;

 private:
  int saved_ = ::dup(2), null_ = ::open("/dev/null", O_WRONLY);
};

// As `kelm-export --png --svg --pdf --figures-csv examples/full`, loading included.
void BM_WholeExport(benchmark::State& state) {
  ExportOptions options;
  options.projects = {kFull.string()};
  options.pngDir = (kOut / "png").string();
  options.svgDir = (kOut / "svg").string();
  options.pdfFile = (kOut / "whole.pdf").string();
  options.figuresCsv = (kOut / "whole.csv").string();
  const QuietStderr quiet;
  for (auto _ : state) benchmark::DoNotOptimize(runExport(options));
}

// As `kelm-export --jobs N --summary-csv` over 2000 copies of examples/simple.
void BM_SummaryScan(benchmark::State& state) {
  constexpr int kCopies = 2000;
  const fs::path scan = kOut / "scan";
  fs::create_directories(scan);
  ExportOptions options;
  for (int k = 0; k < kCopies; ++k) {
    const fs::path copy = scan / ("p" + std::to_string(k));
    if (!fs::exists(copy))
      fs::copy(fs::path(KELM_EXAMPLES_DIR) / "simple", copy, fs::copy_options::recursive);
    options.projects.push_back(copy.string());
  }
  options.summaryCsv = (kOut / "summary.csv").string();
  options.jobs = int(state.range(0));
  const QuietStderr quiet;
  for (auto _ : state) benchmark::DoNotOptimize(runExport(options));
  state.counters["rows/s"] =
      benchmark::Counter(double(kCopies) * double(state.iterations()), benchmark::Counter::kIsRate);
  state.SetLabel(std::to_string(options.jobs) + (options.jobs == 1 ? " job" : " jobs"));
}

BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewPictures)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrintedPagesPdf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FiguresCsv)->Arg(200)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Envelope)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CrossingsCsv)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeExport)->Unit(benchmark::kMillisecond);
// Wall time: the workers' CPU time is not the benchmark process's.
BENCHMARK(BM_SummaryScan)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

}  // namespace
}  // namespace kelm::exporting

int main(int argc, char** argv) {
  using namespace kelm::exporting;
  kelm::window::OffscreenSession qt(argc, argv);
  kelm::records::SilentPort quiet;
  kelm::records::setWindowPort(&quiet);
  fs::create_directories(kOut);
  fs::current_path(kFull);
  kelm::klplot::loadProjectFiles(kelm::klplot::projectData);
  fs::current_path(kOut);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  fs::current_path(fs::temp_directory_path());
  fs::remove_all(kOut);
  return 0;
}
