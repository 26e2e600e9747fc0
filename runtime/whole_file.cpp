#include "runtime/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace kelm::runtime {
namespace {

std::string failure(const std::string& path, int number) {
  return "cannot write " + path + ": " + std::strerror(number);
}

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// The permissions a file created the ordinary way would get.
mode_t ordinaryMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

bool writeWholeFile(const std::string& path, std::string_view bytes, std::string& error) {
  const std::filesystem::path target(path);
  std::filesystem::path directory = target.parent_path();
  if (directory.empty()) directory = ".";
  std::string temporary = (directory / ("." + target.filename().string() + ".kelm-XXXXXX")).string();
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) {
    error = failure(path, errno);
    return false;
  }
  bool written = writeAll(fd, bytes) && ::fchmod(fd, ordinaryMode()) == 0 && ::fsync(fd) == 0;
  int number = written ? 0 : errno;
  if (::close(fd) != 0 && written) {
    written = false;
    number = errno;
  }
  if (written && ::rename(temporary.c_str(), path.c_str()) != 0) {
    written = false;
    number = errno;
  }
  if (!written) {
    ::unlink(temporary.c_str());
    error = failure(path, number);
  }
  return written;
}

bool makeDirectory(const std::string& directory, std::string& error) {
  std::error_code code;
  std::filesystem::create_directories(directory, code);
  if (!code && std::filesystem::is_directory(directory, code)) return true;
  error = "cannot make the directory " + directory + ": " +
          (code ? code.message() : std::string("a file of that name is in the way"));
  return false;
}

}  // namespace kelm::runtime
