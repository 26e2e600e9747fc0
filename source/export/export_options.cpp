#include "source/export/export_options.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

#include "runtime/text.h"

namespace kelm::exporting {
namespace {

constexpr int kMinWidth = 320, kMaxWidth = 8192, kMinHeight = 240, kMaxHeight = 8192;
constexpr int kMaxSteps = 100000;
constexpr double kMaxVoltage = 1e12;

// A number written whole, with nothing after it; neither inf nor nan.
std::optional<double> realOf(std::string_view text) {
  double value = 0.0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<int> wholeOf(std::string_view text) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

// Text as typed, with control characters shown as '?' so that a message stays one line.
std::string printable(std::string_view value) {
  std::string text;
  for (char c : value) text += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c;
  return text;
}

std::string quoted(std::string_view value) { return "\"" + printable(value) + "\""; }

bool endsIgnoringCase(std::string_view text, std::string_view ending) {
  return text.size() > ending.size() && equalsIgnoringCase(text.substr(text.size() - ending.size()), ending);
}

class Parser {
 public:
  explicit Parser(CommandLine& result) : result_(result) {}

  using Take = bool (Parser::*)(std::string_view name, std::string_view value);
  struct Entry {
    std::string_view name;
    Take take;
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
  static const std::array<Entry, 12> kEntries;

  ExportOptions& o() { return result_.options; }

  template <std::optional<std::string> ExportOptions::*target>
  bool path(std::string_view name, std::string_view value) {
    if (value.empty()) return fail(std::string(name) + " needs a file or directory name");
    o().*target = std::string(value);
    return true;
  }

  bool envelope(std::string_view name, std::string_view value) {
    if (!endsIgnoringCase(value, ".png") && !namesSvgFile(value)) {
      return fail("--envelope needs a file name ending in .png or .svg, not " + quoted(value));
    }
    return path<&ExportOptions::envelopeFile>(name, value);
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
    if (!z || std::fabs(*z) > std::numeric_limits<float>::max()) {
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

const std::array<Parser::Entry, 12> Parser::kEntries{{
    {"--png", &Parser::path<&ExportOptions::pngDir>},
    {"--svg", &Parser::path<&ExportOptions::svgDir>},
    {"--pdf", &Parser::path<&ExportOptions::pdfFile>},
    {"--figures-csv", &Parser::path<&ExportOptions::figuresCsv>},
    {"--crossings-csv", &Parser::path<&ExportOptions::crossingsCsv>},
    {"--summary-csv", &Parser::path<&ExportOptions::summaryCsv>},
    {"--envelope", &Parser::envelope},
    {"--size", &Parser::size},
    {"--z", &Parser::plane},
    {"--divisions", &Parser::whole<&ExportOptions::divisions, 1, 100>},
    {"--steps", &Parser::whole<&ExportOptions::steps, 2, kMaxSteps>},
    {"--voltage", &Parser::voltage},
}};

void checkWhole(Parser& parser, const ExportOptions& o) {
  if (o.projects.empty()) {
    parser.fail("no PROJECT given");
  } else if (!o.wantsProjectOutputs() && !o.summaryCsv) {
    parser.fail(
        "nothing to write: give at least one of --png, --svg, --pdf, --figures-csv, --crossings-csv, "
        "--envelope, --summary-csv");
  } else if (o.projects.size() > 1 && o.wantsProjectOutputs()) {
    parser.fail("several projects go only with --summary-csv; the other outputs take one PROJECT");
  }
}

}  // namespace

CommandLine parseCommandLine(int argc, const char* const* argv) {
  CommandLine result;
  // Help and version win over anything else on the line, so they always answer.
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--") break;
    if (argument == "--help" || argument == "-h") return {Request::kHelp, {}, {}};
    if (argument == "--version") result.request = Request::kVersion;
  }
  if (result.request == Request::kVersion) return result;

  Parser parser(result);
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
      parser.fail("unknown option " + printable(name));
      return result;
    }
    std::string_view value;
    if (equals != std::string_view::npos) {
      value = argument.substr(equals + 1);
    } else if (i + 1 < argc) {
      value = argv[++i];
    } else {
      parser.fail(std::string(name) + " needs a value");
      return result;
    }
    if (!parser.take(*entry, value)) return result;
  }
  checkWhole(parser, result.options);
  return result;
}

bool namesSvgFile(std::string_view file) { return endsIgnoringCase(file, ".svg"); }

std::string versionText() { return std::string("kelm-export ") + KELM_VERSION + "\n"; }

}  // namespace kelm::exporting
