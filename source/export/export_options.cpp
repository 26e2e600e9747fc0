#include "source/export/export_options.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string_view>

#include "runtime/text.h"
#include "source/command_line_tools/option_table.h"
#include "source/command_line_tools/option_values.h"
#include "source/command_line_tools/project_list.h"

namespace kelm::exporting {
namespace {

using cli::quoted;
using cli::UsageError;
using Take = cli::OptionTable::Take;

constexpr int kMinWidth = 320, kMaxWidth = 8192, kMinHeight = 240, kMaxHeight = 8192;
constexpr int kMaxSteps = 100000;
constexpr double kMaxVoltage = 1e12;

bool endsIgnoringCase(std::string_view text, std::string_view ending) {
  return text.size() > ending.size() && equalsIgnoringCase(text.substr(text.size() - ending.size()), ending);
}

constexpr const char* kOneProjectOnly =
    "several projects go only with --summary-csv; the other outputs take one PROJECT";

Take path(std::optional<std::string>& target) {
  return [&target](const std::string& name, const std::string& value) {
    if (value.empty()) throw UsageError(name + " needs a file or directory name");
    target = value;
  };
}

Take picture(std::optional<std::string>& target) {
  return [&target](const std::string& name, const std::string& value) {
    if (!endsIgnoringCase(value, ".png") && !namesSvgFile(value))
      throw UsageError(name + " needs a file name ending in .png or .svg, not " + quoted(value));
    path(target)(name, value);
  };
}

Take column(std::optional<std::string>& target) {
  return [&target](const std::string& name, const std::string& value) {
    if (value.empty()) throw UsageError(name + " needs a column name of the summary");
    target = value;
  };
}

Take whole(int& target, int low, int high) {
  return [&target, low, high](const std::string& name, const std::string& value) {
    target = cli::wholeNumber(name, value, low, high);
  };
}

Take size(ExportOptions& o) {
  return [&o](const std::string&, const std::string& value) {
    const std::size_t x = value.find_first_of("xX");
    const auto w = cli::wholeOf(std::string_view(value).substr(0, x));
    const auto h = x == std::string::npos ? std::nullopt : cli::wholeOf(std::string_view(value).substr(x + 1));
    if (!w || !h || *w < kMinWidth || *w > kMaxWidth || *h < kMinHeight || *h > kMaxHeight) {
      throw UsageError("--size needs WIDTHxHEIGHT in pixels, from " + std::to_string(kMinWidth) + "x" +
                       std::to_string(kMinHeight) + " to " + std::to_string(kMaxWidth) + "x" +
                       std::to_string(kMaxHeight) + ", not " + quoted(value));
    }
    o.width = *w;
    o.height = *h;
  };
}

Take plane(std::optional<float>& target) {
  return [&target](const std::string&, const std::string& value) { target = cli::planeOf(value); };
}

Take zRange(std::optional<ZRange>& target) {
  return [&target](const std::string&, const std::string& value) {
    const auto [from, to] = cli::planeRangeOf(value);
    target = ZRange{from, to};
  };
}

Take voltage(std::optional<double>& target) {
  return [&target](const std::string&, const std::string& value) {
    const auto v = realOf(value);
    if (!v || !(*v > 0.0) || *v > kMaxVoltage)
      throw UsageError("--voltage needs the beam energy in eV, a number above 0, not " + quoted(value));
    target = *v;
  };
}

// A scan's picture is drawn from its summary alone: an option for projects would be ignored.
void checkScanPlot(const ExportOptions& o, const std::vector<std::string>& given) {
  constexpr std::string_view kPlotOptions[] = {"--scan-plot", "--x", "--y", "--group", "--labels", "--size"};
  for (std::string_view name : given) {
    if (std::find(std::begin(kPlotOptions), std::end(kPlotOptions), name) == std::end(kPlotOptions))
      throw UsageError(std::string(name) +
                       " does not go with --scan-plot, which takes only --x, --y, --group, --labels and --size");
  }
  if (!o.plotX) throw UsageError("--scan-plot needs --x PARAM or FIGURE, the column along the x axis");
  if (!o.plotY) throw UsageError("--scan-plot needs --y FIGURE, the summary's figure along the y axis");
  if (o.plotGroup && *o.plotGroup == *o.plotX) throw UsageError("--group needs another parameter than --x");
  if (o.projects.size() != 1) {
    throw UsageError("--scan-plot needs one summary.csv of kelm-scan, not " + std::to_string(o.projects.size()) +
                     " files");
  }
}

void checkWhole(const ExportOptions& o, const std::vector<std::string>& given) {
  if (o.scanPlot) {
    checkScanPlot(o, given);
  } else if (o.plotX || o.plotY || o.plotGroup || o.plotLabels) {
    throw UsageError("--x, --y, --group and --labels go only with --scan-plot");
  } else if (o.projects.empty() && !o.projectsFrom) {
    throw UsageError("no PROJECT given");
  } else if (!o.wantsProjectOutputs() && !o.summaryCsv) {
    throw UsageError(
        "nothing to write: give at least one of --png, --svg, --pdf, --figures-csv, --crossings-csv, "
        "--surface-field-csv, --cathode-csv, --envelope, --summary-csv");
  } else if (o.projects.size() > 1 && o.wantsProjectOutputs()) {
    throw UsageError(kOneProjectOnly);
  }
}

}  // namespace

CommandLine parseCommandLine(int argc, const char* const* argv) {
  return cli::readCommandLine<CommandLine>(argc, argv, [&](CommandLine& line) {
    ExportOptions& o = line.options;
    bool definitions = false;
    cli::OptionTable table(o.projects);
    table.value("--png", path(o.pngDir))
        .value("--svg", path(o.svgDir))
        .value("--pdf", path(o.pdfFile))
        .value("--figures-csv", path(o.figuresCsv))
        .value("--crossings-csv", path(o.crossingsCsv))
        .value("--surface-field-csv", path(o.surfaceFieldCsv))
        .value("--cathode-csv", path(o.cathodeCsv))
        .value("--summary-csv", path(o.summaryCsv))
        .value("--envelope", picture(o.envelopeFile))
        .value("--size", size(o))
        .value("--z", plane(o.z))
        .value("--range", zRange(o.range))
        // 1 is left out: the views draw 10 bins when asked for 1.
        .value("--divisions", whole(o.divisions, 2, 100))
        .value("--steps", whole(o.steps, 2, kMaxSteps))
        .value("--voltage", voltage(o.voltage))
        .projectList(o.projectsFrom, o.nulSeparated)
        .jobs(o.jobs)
        .shard(o.shard, o.shards)
        .flag("--no-header", [&o] { o.header = false; })
        .flag("--definitions", [&definitions] { definitions = true; })
        .value("--scan-plot", picture(o.scanPlot))
        .value("--x", column(o.plotX))
        .value("--y", column(o.plotY))
        .value("--group", column(o.plotGroup))
        .flag("--labels", [&o] { o.plotLabels = true; });
    table.parse(argc, argv);
    if (definitions)
      line = {Request::kDefinitions, {}, {}};
    else
      checkWhole(o, table.given());
  });
}

bool readProjectList(ExportOptions& options, std::string& error) {
  try {
    if (options.projectsFrom) {
      std::vector<std::string> listed = cli::readProjectList(*options.projectsFrom, options.nulSeparated);
      options.projects.insert(options.projects.end(), std::make_move_iterator(listed.begin()),
                              std::make_move_iterator(listed.end()));
    }
    if (options.projects.empty()) throw UsageError("no PROJECT given");
    if (options.projects.size() > 1 && options.wantsProjectOutputs()) throw UsageError(kOneProjectOnly);
  } catch (const UsageError& e) {
    error = e.what();
    return false;
  }
  return true;
}

bool namesSvgFile(std::string_view file) { return endsIgnoringCase(file, ".svg"); }

std::string versionText() { return std::string("kelm-export ") + KELM_VERSION + "\n"; }

}  // namespace kelm::exporting
