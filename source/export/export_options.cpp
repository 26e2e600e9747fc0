#include "source/export/export_options.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <cmath>
#include <limits>
#include <string_view>

#include "runtime/info_arguments.h"
#include "runtime/text.h"

namespace kelm::exporting {
namespace {

constexpr int kMinWidth = 320, kMaxWidth = 8192, kMinHeight = 240, kMaxHeight = 8192;
constexpr int kMaxSteps = 100000;
constexpr int kMaxJobs = 256;
constexpr double kMaxVoltage = 1e12;

// The largest magnitude that still rounds to a finite single-precision number.
constexpr double kSingleLimit = std::numeric_limits<float>::max() + 0x1p103;

std::optional<int> wholeOf(std::string_view text) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

std::string quoted(std::string_view value) { return "\"" + shownText(value) + "\""; }

bool endsIgnoringCase(std::string_view text, std::string_view ending) {
  return text.size() > ending.size() && equalsIgnoringCase(text.substr(text.size() - ending.size()), ending);
}

constexpr const char* kOneProjectOnly =
    "several projects go only with --summary-csv; the other outputs take one PROJECT";

class Parser {
 public:
  explicit Parser(CommandLine& result) : result_(result) {}

  using Take = bool (Parser::*)(std::string_view name, std::string_view value);
  struct Entry {
    std::string_view name;
    Take take;
    bool flag = false;  // takes no value
  };

  static const Entry* entryOf(std::string_view name) {
    for (const Entry& entry : kEntries) {
      if (entry.name == name) return &entry;
    }
    return nullptr;
  }

  // Returns false once the line is known to be a usage error.
  bool take(const Entry& entry, std::string_view value) { return (this->*entry.take)(entry.name, value); }

  bool fail(const std::string& message) {
    result_.request = Request::kUsageError;
    result_.error = message;
    return false;
  }

 private:
  static const std::array<Entry, 22> kEntries;

  ExportOptions& o() { return result_.options; }

  template <std::optional<std::string> ExportOptions::*target>
  bool path(std::string_view name, std::string_view value) {
    if (value.empty()) return fail(std::string(name) + " needs a file or directory name");
    o().*target = std::string(value);
    return true;
  }

  template <std::optional<std::string> ExportOptions::*target>
  bool picture(std::string_view name, std::string_view value) {
    if (!endsIgnoringCase(value, ".png") && !namesSvgFile(value)) {
      return fail(std::string(name) + " needs a file name ending in .png or .svg, not " + quoted(value));
    }
    return path<target>(name, value);
  }

  template <std::optional<std::string> ExportOptions::*target>
  bool column(std::string_view name, std::string_view value) {
    if (value.empty()) return fail(std::string(name) + " needs a column name of the summary");
    o().*target = std::string(value);
    return true;
  }

  bool size(std::string_view, std::string_view value) {
    const std::size_t x = value.find_first_of("xX");
    const auto w = wholeOf(value.substr(0, x));
    const auto h = x == std::string_view::npos ? std::nullopt : wholeOf(value.substr(x + 1));
    if (!w || !h || *w < kMinWidth || *w > kMaxWidth || *h < kMinHeight || *h > kMaxHeight) {
      return fail("--size needs WIDTHxHEIGHT in pixels, from " + std::to_string(kMinWidth) + "x" +
                  std::to_string(kMinHeight) + " to " + std::to_string(kMaxWidth) + "x" +
                  std::to_string(kMaxHeight) + ", not " + quoted(value));
    }
    o().width = *w;
    o().height = *h;
    return true;
  }

  bool plane(std::string_view, std::string_view value) {
    const auto z = realOf(value);
    // The plane is held in single precision, as the program holds it.
    if (!z || !(std::fabs(*z) < kSingleLimit)) {
      return fail("--z needs a position in mm, not " + quoted(value));
    }
    o().z = static_cast<float>(*z);
    return true;
  }

  template <int ExportOptions::*target, int low, int high>
  bool whole(std::string_view name, std::string_view value) {
    const auto n = wholeOf(value);
    if (!n || *n < low || *n > high) {
      return fail(std::string(name) + " needs a whole number from " + std::to_string(low) + " to " +
                  std::to_string(high) + ", not " + quoted(value));
    }
    o().*target = *n;
    return true;
  }

  template <bool ExportOptions::*target, bool value>
  bool set(std::string_view, std::string_view) {
    o().*target = value;
    return true;
  }

  bool definitions(std::string_view, std::string_view) {
    result_.request = Request::kDefinitions;
    return true;
  }

  bool shard(std::string_view, std::string_view value) {
    const std::size_t slash = value.find('/');
    const auto k = wholeOf(value.substr(0, slash));
    const auto n = slash == std::string_view::npos ? std::nullopt : wholeOf(value.substr(slash + 1));
    if (!k || !n || *n < 1 || *k < 0 || *k >= *n) {
      return fail("--shard needs K/N with N from 1 and K from 0 to N-1, not " + quoted(value));
    }
    o().shard = *k;
    o().shards = *n;
    return true;
  }

  bool voltage(std::string_view, std::string_view value) {
    const auto v = realOf(value);
    if (!v || !(*v > 0.0) || *v > kMaxVoltage) {
      return fail("--voltage needs the beam energy in eV, a number above 0, not " + quoted(value));
    }
    o().voltage = *v;
    return true;
  }

  CommandLine& result_;
};

const std::array<Parser::Entry, 22> Parser::kEntries{{
    {"--png", &Parser::path<&ExportOptions::pngDir>},
    {"--svg", &Parser::path<&ExportOptions::svgDir>},
    {"--pdf", &Parser::path<&ExportOptions::pdfFile>},
    {"--figures-csv", &Parser::path<&ExportOptions::figuresCsv>},
    {"--crossings-csv", &Parser::path<&ExportOptions::crossingsCsv>},
    {"--summary-csv", &Parser::path<&ExportOptions::summaryCsv>},
    {"--envelope", &Parser::picture<&ExportOptions::envelopeFile>},
    {"--size", &Parser::size},
    {"--z", &Parser::plane},
    // 1 is left out: the views draw 10 bins when asked for 1.
    {"--divisions", &Parser::whole<&ExportOptions::divisions, 2, 100>},
    {"--steps", &Parser::whole<&ExportOptions::steps, 2, kMaxSteps>},
    {"--voltage", &Parser::voltage},
    {"--projects-from", &Parser::path<&ExportOptions::projectsFrom>},
    {"--null", &Parser::set<&ExportOptions::nulSeparated, true>, true},
    {"--jobs", &Parser::whole<&ExportOptions::jobs, 1, kMaxJobs>},
    {"--shard", &Parser::shard},
    {"--no-header", &Parser::set<&ExportOptions::header, false>, true},
    {"--definitions", &Parser::definitions, true},
    {"--scan-plot", &Parser::picture<&ExportOptions::scanPlot>},
    {"--x", &Parser::column<&ExportOptions::plotX>},
    {"--y", &Parser::column<&ExportOptions::plotY>},
    {"--group", &Parser::column<&ExportOptions::plotGroup>},
}};

// A scan's picture is drawn from its summary alone: an option for projects would be ignored.
void checkScanPlot(Parser& parser, const ExportOptions& o, const std::vector<std::string_view>& given) {
  constexpr std::string_view kPlotOptions[] = {"--scan-plot", "--x", "--y", "--group", "--size"};
  for (std::string_view name : given) {
    if (std::find(std::begin(kPlotOptions), std::end(kPlotOptions), name) == std::end(kPlotOptions)) {
      parser.fail(std::string(name) + " does not go with --scan-plot, which takes only --x, --y, --group and --size");
      return;
    }
  }
  if (!o.plotX) {
    parser.fail("--scan-plot needs --x PARAM, the parameter along the x axis");
  } else if (!o.plotY) {
    parser.fail("--scan-plot needs --y FIGURE, the summary's figure along the y axis");
  } else if (o.plotGroup && *o.plotGroup == *o.plotX) {
    parser.fail("--group needs another parameter than --x");
  } else if (o.projects.size() != 1) {
    parser.fail("--scan-plot needs one summary.csv of kelm-scan, not " + std::to_string(o.projects.size()) +
                " files");
  }
}

void checkWhole(Parser& parser, const ExportOptions& o, const std::vector<std::string_view>& given) {
  if (o.scanPlot) {
    checkScanPlot(parser, o, given);
  } else if (o.plotX || o.plotY || o.plotGroup) {
    parser.fail("--x, --y and --group go only with --scan-plot");
  } else if (o.projects.empty() && !o.projectsFrom) {
    parser.fail("no PROJECT given");
  } else if (!o.wantsProjectOutputs() && !o.summaryCsv) {
    parser.fail(
        "nothing to write: give at least one of --png, --svg, --pdf, --figures-csv, --crossings-csv, "
        "--envelope, --summary-csv");
  } else if (o.projects.size() > 1 && o.wantsProjectOutputs()) {
    parser.fail(kOneProjectOnly);
  } else if (o.nulSeparated && !o.projectsFrom) {
    parser.fail("--null goes only with --projects-from");
  }
}

}  // namespace

CommandLine parseCommandLine(int argc, const char* const* argv) {
  CommandLine result;
  // Help wins over the version, and both over anything else on the line.
  const runtime::InfoArguments info = runtime::findInfoArguments(argc, argv, true);
  if (info.help != 0) return {Request::kHelp, {}, {}};
  if (info.version != 0) return {Request::kVersion, {}, {}};

  Parser parser(result);
  std::vector<const Parser::Entry*> given;
  bool optionsEnd = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (optionsEnd || argument.size() < 2 || argument[0] != '-') {
      result.options.projects.emplace_back(argument);
      continue;
    }
    if (argument == "--") {
      optionsEnd = true;
      continue;
    }
    const std::size_t equals = argument.find('=');
    const std::string_view name = argument.substr(0, equals);
    const Parser::Entry* entry = Parser::entryOf(name);
    if (entry == nullptr) {
      parser.fail("unknown option " + shownText(name));
      return result;
    }
    // A second value would silently win over the first.
    if (std::find(given.begin(), given.end(), entry) != given.end()) {
      parser.fail(std::string(name) + " given twice");
      return result;
    }
    given.push_back(entry);
    std::string_view value;
    if (entry->flag) {
      if (equals != std::string_view::npos) {
        parser.fail(std::string(name) + " takes no value");
        return result;
      }
    } else if (equals != std::string_view::npos) {
      value = argument.substr(equals + 1);
    } else if (i + 1 < argc) {
      value = argv[++i];
    } else {
      parser.fail(std::string(name) + " needs a value");
      return result;
    }
    if (!parser.take(*entry, value)) return result;
  }
  if (result.request == Request::kDefinitions) return {Request::kDefinitions, {}, {}};
  std::vector<std::string_view> names;
  for (const Parser::Entry* entry : given) names.push_back(entry->name);
  checkWhole(parser, result.options, names);
  return result;
}

bool readProjectList(ExportOptions& options, std::string& error) {
  constexpr std::size_t kMaxProjects = 1000000, kMaxPath = 4096;
  if (options.projectsFrom) {
    const std::string& from = *options.projectsFrom;
    std::FILE* file = from == "-" ? stdin : std::fopen(from.c_str(), "rb");
    if (file == nullptr) {
      error = "cannot read the project list " + shownText(from) + ": " + std::strerror(errno);
      return false;
    }
    const char separator = options.nulSeparated ? '\0' : '\n';
    std::string entry;
    // Blank lines are skipped; a line end written on another system loses its carriage return.
    auto keep = [&] {
      if (!options.nulSeparated && entry.ends_with('\r')) entry.pop_back();
      if (!entry.empty()) options.projects.push_back(std::move(entry));
      entry.clear();
    };
    bool tooMany = false, tooLong = false;
    for (int c; !tooMany && !tooLong && (c = std::getc(file)) != EOF;) {
      if (c == separator)
        keep();
      else
        entry += static_cast<char>(c);
      tooMany = options.projects.size() > kMaxProjects;
      tooLong = entry.size() > kMaxPath;
    }
    if (!tooMany && !tooLong) keep();
    const bool failed = std::ferror(file) != 0;
    const int number = errno;
    if (file != stdin) std::fclose(file);
    if (failed) {
      error = "cannot read the project list " + shownText(from) + ": " + std::strerror(number);
      return false;
    }
    if (tooLong) {
      error = "the project list " + shownText(from) + " holds a path longer than " +
              std::to_string(kMaxPath) + " bytes";
      return false;
    }
    if (tooMany) {
      error = "the project list " + shownText(from) + " names more than a million projects";
      return false;
    }
  }
  if (options.projects.empty()) {
    error = "no PROJECT given";
    return false;
  }
  if (options.projects.size() > 1 && options.wantsProjectOutputs()) {
    error = kOneProjectOnly;
    return false;
  }
  return true;
}

std::string shownText(std::string_view value) {
  std::string text;
  for (char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) {
      text += c;
      continue;
    }
    constexpr char kHex[] = "0123456789ABCDEF";
    text += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
  }
  return text;
}

std::optional<double> realOf(std::string_view text) {
  if (text.starts_with('+') && text.size() > 1 && text[1] != '-' && text[1] != '+') text.remove_prefix(1);
  double value = 0.0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

bool namesSvgFile(std::string_view file) { return endsIgnoringCase(file, ".svg"); }

std::string versionText() { return std::string("kelm-export ") + KELM_VERSION + "\n"; }

}  // namespace kelm::exporting
