#pragma once
// A project directory in one fuzz input: sections that each start with a line "%%" and a file
// name (geom.dat, mag.dat, pot.dat or klplt.res) and hold that file's bytes.

#include <array>
#include <cstdio>
#include <string>
#include <string_view>

#include "fuzz/file_bytes.h"

namespace kelm::fuzzing {

inline constexpr std::array<std::string_view, 4> kFiles = {"geom.dat", "mag.dat", "pot.dat", "klplt.res"};
// Each section of the input becomes its file; a file without a section is removed.
inline void writeSections(std::string_view input) {
  for (std::string_view name : kFiles) std::remove(std::string(name).c_str());
  std::size_t at = 0;
  std::string_view file;
  std::size_t contentStart = 0;
  auto flush = [&](std::size_t end) {
    if (file.empty()) return;
    writeBytes(std::string(file), input.substr(contentStart, end > contentStart ? end - contentStart : 0));
  };
  while (at < input.size()) {
    const std::size_t lineEnd = input.find('\n', at);
    const std::string_view line =
        input.substr(at, lineEnd == std::string_view::npos ? lineEnd : lineEnd - at);
    for (std::string_view name : kFiles) {
      if (line.size() != name.size() + 2 || line.substr(0, 2) != "%%" || line.substr(2) != name) continue;
      flush(at > 0 ? at - 1 : 0);  // the line end before a header belongs to the header
      file = name;
      contentStart = lineEnd == std::string_view::npos ? input.size() : lineEnd + 1;
    }
    if (lineEnd == std::string_view::npos) break;
    at = lineEnd + 1;
  }
  flush(input.size());
}

}  // namespace kelm::fuzzing
