#pragma once
// What a shell command writes to its standard output, for tests that look into PDFs with
// poppler's tools.

#include <cstdio>
#include <string>

namespace kelm::testing {

inline std::string commandOutput(const std::string& command) {
  std::string out;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    ::pclose(pipe);
  }
  return out;
}

}  // namespace kelm::testing
