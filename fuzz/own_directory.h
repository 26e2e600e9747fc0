#pragma once
// Targets that read files by their project names work in a directory of their own, one a
// process, so that parallel runs do not share files; the window port stays silent.

#include <unistd.h>

#include <filesystem>
#include <string>

#include "records/silent_port.h"

namespace kelm::fuzzing {

inline void workInOwnDirectory(const std::string& name) {
  static records::SilentPort port;
  records::setWindowPort(&port);
  const auto dir = std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  std::filesystem::current_path(dir);
}

}  // namespace kelm::fuzzing
