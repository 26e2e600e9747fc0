#pragma once
// A fuzz input, or part of one, becomes a file that the readers under test open by name.
// A file that cannot be written leaves the input untried, which is no finding.

#include <cstdio>
#include <string>
#include <string_view>

namespace kelm::fuzzing {

inline void writeBytes(const std::string& name, std::string_view bytes) {
  if (std::FILE* file = std::fopen(name.c_str(), "wb")) {
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
  }
}

}  // namespace kelm::fuzzing
