// Any bytes as kelm-export's arguments (split at NUL bytes): the parser answers with a
// request, and a usage error always comes with its one line.
#include <cstdlib>
#include <string>
#include <vector>

#include "source/export/export_options.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelm::exporting;
  std::vector<std::string> words{"kelm-export"};
  words.emplace_back();
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0)
      words.emplace_back();
    else
      words.back() += static_cast<char>(data[i]);
  }
  std::vector<const char*> argv;
  for (const std::string& w : words) argv.push_back(w.c_str());
  const CommandLine line = parseCommandLine(static_cast<int>(argv.size()), argv.data());
  if (line.request == Request::kUsageError &&
      (line.error.empty() || line.error.find('\n') != std::string::npos)) {
    std::abort();
  }
  // Without PROJECT on the line, a run takes its projects from a list.
  if (line.request == Request::kExport && line.options.projects.empty() && !line.options.projectsFrom) {
    std::abort();
  }
  return 0;
}
