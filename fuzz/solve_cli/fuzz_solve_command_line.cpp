// Any bytes as kelm-solve's arguments (split at NUL bytes, up to a byte 0x01), and what follows
// as a project list read both ways: the parser answers with one request, a usage error with its
// one line, and the list and its shares keep every name once, none empty.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "source/command_line_tools/option_values.h"
#include "source/command_line_tools/project_list.h"
#include "source/solve_cli/solve_options.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelm::solvecli;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::size_t split = bytes.find('\x01');
  std::vector<std::string> words{"kelm-solve", ""};
  for (char c : bytes.substr(0, split)) {
    if (c == '\0')
      words.emplace_back();
    else
      words.back() += c;
  }
  std::vector<const char*> argv;
  for (const std::string& w : words) argv.push_back(w.c_str());
  const CommandLine line = parseCommandLine(static_cast<int>(argv.size()), argv.data());
  if (line.request == Request::kUsageError && (line.error.empty() || line.error.find('\n') != std::string::npos))
    std::abort();
  const SolveOptions& o = line.options;
  if (line.request == Request::kSolve && ((o.projects.empty() && !o.projectsFrom) || o.shard < 0 || o.shard >= o.shards))
    std::abort();

  const std::string_view list = split == std::string_view::npos ? std::string_view() : bytes.substr(split + 1);
  for (bool nul : {false, true}) {
    std::vector<std::string> names;
    try {
      names = kelm::cli::projectNames(list, nul, "list");
    } catch (const kelm::cli::UsageError& e) {
      if (std::string_view(e.what()).find('\n') != std::string_view::npos) std::abort();
      continue;
    }
    std::size_t shared = 0;
    for (const std::string& name : names) {
      if (name.empty() || name.find('\0') != std::string::npos) std::abort();
    }
    const int shards = line.request == Request::kSolve ? o.shards : 3;
    for (int k = 0; k < shards && k < 64; ++k) shared += kelm::cli::shareOf(names.size(), {k, shards}).size();
    if (shards <= 64 && shared != names.size()) std::abort();
  }
  return 0;
}
