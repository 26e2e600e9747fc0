#pragma once
// Each fuzz input becomes the content of one file that the readers open by name.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace kelm::fuzzing {

inline const std::string& inputFileName() {
  static const std::string name = "/tmp/kelm-fuzz-" + std::to_string(::getpid()) + ".dat";
  return name;
}

inline void writeInputFile(const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(inputFileName().c_str(), "wb");
  if (file == nullptr) return;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
}

}  // namespace kelm::fuzzing
