// Any text as kelm-scan's summary.csv, its first line naming the columns (x,y[,group]): the
// reader must answer with a plot or a reason, and the plot must draw in bounded calls with the
// program thread's floating-point traps on.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/traps_on.h"
#include "fuzz/klplot/counting_canvas.h"
#include "source/export/scan_plot_run.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelm::exporting;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t end = input.find('\n');
  if (end == input.npos) return 0;
  const std::string_view names = input.substr(0, end);
  ExportOptions options;
  const std::size_t first = names.find(','), second = names.find(',', first == names.npos ? first : first + 1);
  if (first == names.npos) return 0;
  options.plotX = std::string(names.substr(0, first));
  options.plotY = std::string(names.substr(first + 1, second == names.npos ? names.npos : second - first - 1));
  if (second != names.npos) options.plotGroup = std::string(names.substr(second + 1));

  const kelm::fuzzing::TrapsOn traps;
  ScanPlot plot;
  std::string why;
  const ScanPlotReady ready = scanPlotOf(input.substr(end + 1), options, plot, why);
  if ((ready == ScanPlotReady::kReady) == !why.empty()) std::abort();
  if (ready == ScanPlotReady::kReady) {
    kelm::klplot::fuzzing::CountingCanvas canvas;
    kelm::klplot::PlotMapping mapping;
    drawScanPlot({canvas, mapping, 1920, 1080, 16}, plot.series, plot.names);
    if (canvas.calls == 0) std::abort();
  }
  return 0;
}
