#include "source/solve_cli/solve_options.h"

#include <charconv>

#include "runtime/info_arguments.h"

namespace kelm::solvecli {
namespace {

constexpr int kMaxJobs = 256;
constexpr int kMaxShards = 1000000;

std::optional<int> wholeOf(std::string_view text) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

// Text as typed, with control characters shown as '?' so that a message stays one line.
std::string quoted(std::string_view value) {
  std::string text = "\"";
  for (char c : value) text += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c;
  return text + "\"";
}

bool fail(CommandLine& line, std::string message) {
  line.request = Request::kUsageError;
  line.error = std::move(message);
  return false;
}

bool takeValue(CommandLine& line, std::string_view name, std::string_view value) {
  SolveOptions& o = line.options;
  if (name == "--jobs") {
    const auto n = wholeOf(value);
    if (!n || *n < 1 || *n > kMaxJobs)
      return fail(line, "--jobs needs a whole number from 1 to " + std::to_string(kMaxJobs) + ", not " + quoted(value));
    o.jobs = *n;
  } else if (name == "--projects-from") {
    if (value.empty()) return fail(line, "--projects-from needs a file name, or - for standard input");
    if (o.projectsFrom) return fail(line, "--projects-from is given twice");
    o.projectsFrom = std::string(value);
  } else {  // --shard
    const std::size_t slash = value.find('/');
    const auto k = wholeOf(value.substr(0, slash));
    const auto n = slash == std::string_view::npos ? std::nullopt : wholeOf(value.substr(slash + 1));
    if (!k || !n || *n < 1 || *n > kMaxShards || *k < 0 || *k >= *n)
      return fail(line, "--shard needs K/N with 0 <= K < N, not " + quoted(value));
    o.shard = *k;
    o.shards = *n;
  }
  return true;
}

}  // namespace

CommandLine parseCommandLine(int argc, const char* const* argv) {
  CommandLine line;
  // Help wins over the version, and both over anything else on the line.
  const runtime::InfoArguments info = runtime::findInfoArguments(argc, argv, true);
  if (info.help != 0) return {Request::kHelp, {}, {}};
  if (info.version != 0) return {Request::kVersion, {}, {}};

  SolveOptions& o = line.options;
  bool optionsEnd = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (optionsEnd || argument.size() < 2 || argument[0] != '-') {
      o.projects.emplace_back(argument);
    } else if (argument == "--") {
      optionsEnd = true;
    } else if (argument == "--build-net") {
      o.buildNet = true;
    } else if (argument == "--solve") {
      o.solve = true;
    } else if (argument == "--null") {
      o.nullSeparated = true;
    } else {
      const std::size_t equals = argument.find('=');
      const std::string_view name = argument.substr(0, equals);
      if (name != "--jobs" && name != "--projects-from" && name != "--shard") {
        fail(line, "unknown option " + quoted(name));
        return line;
      }
      std::string_view value;
      if (equals != std::string_view::npos) {
        value = argument.substr(equals + 1);
      } else if (i + 1 < argc) {
        value = argv[++i];
      } else {
        fail(line, std::string(name) + " needs a value");
        return line;
      }
      if (!takeValue(line, name, value)) return line;
    }
  }
  if (o.nullSeparated && !o.projectsFrom) fail(line, "--null goes with --projects-from");
  else if (o.projects.empty() && !o.projectsFrom) fail(line, "no PROJECT given");
  return line;
}

bool readProjectList(std::string_view text, bool nullSeparated, std::vector<std::string>& names,
                     std::string& error) {
  const char end = nullSeparated ? '\0' : '\n';
  std::size_t lineNumber = 0;
  while (!text.empty()) {
    const std::size_t stop = text.find(end);
    std::string_view name = text.substr(0, stop);
    text = stop == std::string_view::npos ? std::string_view() : text.substr(stop + 1);
    ++lineNumber;
    if (!nullSeparated && name.ends_with('\r')) name.remove_suffix(1);
    if (name.empty()) continue;
    if (name.find('\0') != std::string_view::npos) {
      error = "line " + std::to_string(lineNumber) + " holds a NUL character (use --null for such a list)";
      return false;
    }
    names.emplace_back(name);
  }
  return true;
}

std::vector<std::string> shardOf(const std::vector<std::string>& names, int shard, int shards) {
  std::vector<std::string> taken;
  if (shard < 0 || shards < 1) return taken;
  for (std::size_t i = static_cast<std::size_t>(shard); i < names.size(); i += static_cast<std::size_t>(shards))
    taken.push_back(names[i]);
  return taken;
}

std::string versionText() { return std::string("kelm-solve ") + KELM_VERSION + "\n"; }

}  // namespace kelm::solvecli
