#pragma once
// Each fuzz input becomes the content of one file that the readers open by name.

#include <unistd.h>

#include <cstdint>
#include <string>

#include "fuzz/file_bytes.h"

namespace kelm::fuzzing {

inline const std::string& inputFileName() {
  static const std::string name = "/tmp/kelm-fuzz-" + std::to_string(::getpid()) + ".dat";
  return name;
}

inline void writeInputFile(const std::uint8_t* data, std::size_t size) {
  writeBytes(inputFileName(), {reinterpret_cast<const char*>(data), size});
}

}  // namespace kelm::fuzzing
