#pragma once
// kelm-export --scan-plot: summary.csv read and its columns checked before Qt starts, then the
// picture drawn and written whole.

#include <string>

#include "source/export/export_options.h"
#include "source/export/scan_plot_view.h"
#include "source/export/scan_table.h"

namespace kelm::exporting {

struct ScanPlot {
  ScanSeries series;
  ScanPlotNames names;
};

enum class ScanPlotReady { kReady, kUsageError, kFailed };

// Reads the summary (options.projects[0], "-" for standard input) and picks its columns. On a
// usage error or a failure, why says it in one line; a note on the rows left out goes to
// standard error.
ScanPlotReady prepareScanPlot(const ExportOptions& options, ScanPlot& plot, std::string& why);

// The same from the summary's text; why then names no file.
ScanPlotReady scanPlotOf(std::string_view summary, const ExportOptions& options, ScanPlot& plot,
                         std::string& why);

// Draws and writes --scan-plot (needs the offscreen session). Returns the exit status.
int writeScanPlot(const ExportOptions& options, const ScanPlot& plot);

}  // namespace kelm::exporting
