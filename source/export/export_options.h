#pragma once
// What kelm-export is asked to do, read from its command line.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "source/command_line_tools/option_values.h"
#include "source/export/range_figures.h"

namespace kelm::exporting {

struct ExportOptions {
  std::vector<std::string> projects;        // directories, or files in them, as given
  std::optional<std::string> projectsFrom;  // a list of more projects, "-" for standard input
  bool nulSeparated = false;                // that list separated by NUL bytes, not lines

  std::optional<std::string> pngDir, svgDir, pdfFile;
  std::optional<std::string> figuresCsv, crossingsCsv, envelopeFile, summaryCsv;
  std::optional<std::string> surfaceFieldCsv, cathodeCsv;

  int width = 1920, height = 1080;  // the screen the views are laid out for
  std::optional<float> z;           // the plane; the middle of the z range when absent
  std::optional<ZRange> range;      // --range: the summary's figures over it
  int divisions = 10;
  int steps = 200;
  std::optional<double> voltage;  // beam energy, eV
  int jobs = 0;                   // projects loaded at once; 0: one per core
  int shard = 0, shards = 1;      // this run takes the projects shard, shard + shards, ...
  bool header = true;             // the CSVs start with their header row

  // --scan-plot: a picture of kelm-scan's summary.csv (the one PROJECT argument) instead of any
  // project's outputs.
  std::optional<std::string> scanPlot, plotX, plotY, plotGroup;
  bool plotLabels = false;  // --labels: each point named by its directory

  // Outputs made for one project at a time, which several projects would overwrite.
  bool wantsProjectOutputs() const {
    return pngDir || svgDir || pdfFile || figuresCsv || crossingsCsv || envelopeFile || surfaceFieldCsv ||
           cathodeCsv;
  }
};

enum class Request { kExport, kHelp, kDefinitions, kVersion, kUsageError };

struct CommandLine {
  Request request = Request::kExport;
  ExportOptions options;
  std::string error;  // one line, for kUsageError
};

CommandLine parseCommandLine(int argc, const char* const* argv);

// Appends the projects of options.projectsFrom to options.projects. False with error (one line)
// when the list cannot be read or, with the command line, names no project at all.
bool readProjectList(ExportOptions& options, std::string& error);

// One wording for the three programs.
using cli::realOf;
using cli::shownText;

// Whether a file name ends in .svg (in any case); .png is the other choice for the envelope.
bool namesSvgFile(std::string_view file);

std::string helpText();
std::string definitionsText();
std::string versionText();

}  // namespace kelm::exporting
