#include "source/export/scan_plot_run.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "runtime/whole_file.h"
#include "source/export/view_pictures.h"

namespace kelm::exporting {
namespace {

// A summary of a million points is well under this.
constexpr std::size_t kMaxSummaryBytes = std::size_t(1) << 30;

bool readSummary(const std::string& path, std::string& text, std::string& why) {
  std::FILE* file = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    why = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  char buffer[1 << 16];
  for (std::size_t n; text.size() <= kMaxSummaryBytes && (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
    text.append(buffer, n);
  const bool failed = std::ferror(file) != 0;
  const int number = errno;
  if (file != stdin) std::fclose(file);
  if (failed) why = "cannot read " + path + ": " + std::strerror(number);
  if (text.size() > kMaxSummaryBytes) why = "cannot read " + path + ": it is larger than 1 GB";
  return why.empty();
}

std::optional<std::size_t> columnOf(const ScanTable& table, const char* option, const std::string& name,
                                    ColumnKind kind, std::string& why) {
  const auto column = findColumn(table, name, kind, why);
  if (!column) why = std::string(option) + ": " + why;
  return column;
}

}  // namespace

ScanPlotReady scanPlotOf(std::string_view summary, const ExportOptions& options, ScanPlot& plot,
                         std::string& why) {
  ScanTable table;
  if (!readScanTable(summary, table, why)) return ScanPlotReady::kFailed;
  const auto x = columnOf(table, "--x", options.plotX.value_or(""), ColumnKind::kEither, why);
  if (!x) return ScanPlotReady::kUsageError;
  const auto y = columnOf(table, "--y", options.plotY.value_or(""), ColumnKind::kFigure, why);
  if (!y) return ScanPlotReady::kUsageError;
  std::optional<std::size_t> group;
  if (options.plotGroup) {
    group = columnOf(table, "--group", *options.plotGroup, ColumnKind::kParameter, why);
    if (!group) return ScanPlotReady::kUsageError;
    // The same column by two spellings (with and without its unit).
    if (*group == *x) return (why = "--group needs another parameter than --x", ScanPlotReady::kUsageError);
  }
  plot.names = {table.names[*x], table.names[*y], group ? table.names[*group] : std::string(), options.plotLabels};
  plot.series = scanSeries(table, *x, *y, group);
  if (plot.series.lines.empty()) {
    why = "nothing to plot: no row that did not fail has a number in both " + shownText(plot.names.x) +
          " and " + shownText(plot.names.y) + (group ? " and a value of " + shownText(plot.names.group) : "");
    return ScanPlotReady::kFailed;
  }
  return ScanPlotReady::kReady;
}

ScanPlotReady prepareScanPlot(const ExportOptions& options, ScanPlot& plot, std::string& why) {
  const std::string& path = options.projects.front();
  std::string text;
  if (!readSummary(path, text, why)) return ScanPlotReady::kFailed;
  const ScanPlotReady ready = scanPlotOf(text, options, plot, why);
  if (ready == ScanPlotReady::kFailed) why = path + ": " + why;
  const ScanSeries& s = plot.series;
  if (ready != ScanPlotReady::kUsageError && s.failed + s.unusable > 0) {
    std::fprintf(stderr,
                 "kelm-export: note: %zu rows of %s left out: %zu failed, %zu without a number in a "
                 "plotted column (empty, not a number, or beyond 1e37)\n",
                 s.failed + s.unusable, shownText(path).c_str(), s.failed, s.unusable);
  }
  return ready;
}

int writeScanPlot(const ExportOptions& options, const ScanPlot& plot) {
  const bool svg = namesSvgFile(*options.scanPlot);
  const Picture picture =
      drawScanPlotPicture(plot.series, plot.names, ViewSettings{options.width, options.height},
                          PictureFormats{!svg, svg});
  const std::string& bytes = svg ? picture.svg : picture.png;
  std::string error = bytes.empty() ? "cannot write " + *options.scanPlot + ": the picture could not be made" : "";
  if (error.empty() && runtime::writeWholeFile(*options.scanPlot, bytes, error)) return 0;
  std::fprintf(stderr, "kelm-export: %s\n", shownText(error).c_str());
  return 1;
}

}  // namespace kelm::exporting
