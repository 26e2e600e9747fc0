#include "runtime/process_paths.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <memory>

namespace kelm {

std::string executableDirectory() {
  char buffer[PATH_MAX];
  const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length <= 0) return {};
  std::string path(buffer, static_cast<std::size_t>(length));
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash == 0 ? 1 : slash);
}

std::string currentDirectory() {
  // Sized by the C library: a project may lie deeper than any fixed buffer allows.
  const std::unique_ptr<char, decltype(&std::free)> path(::getcwd(nullptr, 0), &std::free);
  return path ? std::string(path.get()) : std::string();
}

bool isWithin(std::string_view path, std::string_view directory) {
  if (!path.starts_with(directory)) return false;
  return path.size() == directory.size() || directory.ends_with('/') || path[directory.size()] == '/';
}

}  // namespace kelm
