#include "runtime/whole_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <system_error>

namespace kelm::runtime {
namespace {

constexpr std::string_view kTemporaryMark = ".kelm-";
constexpr std::size_t kNameMax = 255;      // bytes of one name on the usual file systems
constexpr std::size_t kRandomPart = 6;     // the XXXXXX of mkstemp
constexpr int kMaxLinks = 40;              // as the kernel's own limit on a chain of links
constexpr std::time_t kStaleAfter = 3600;  // seconds; a write never takes that long

std::string failure(const std::string& path, int number) {
  return (path == "-" ? std::string("cannot write standard output") : "cannot write " + path) + ": " +
         std::strerror(number);
}

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) errno = EIO;
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

// The start of every temporary of this file name, cut so that the whole name stays legal.
std::string temporaryPrefix(const std::string& name) {
  const std::size_t room = kNameMax - 1 - kTemporaryMark.size() - kRandomPart;
  return "." + name.substr(0, room) + std::string(kTemporaryMark);
}

// Temporaries of this file that a killed writer of ours left, old enough not to be in use.
void removeStaleTemporaries(const std::filesystem::path& directory, const std::string& prefix) {
  DIR* dir = ::opendir(directory.c_str());
  if (dir == nullptr) return;
  const std::time_t now = std::time(nullptr);
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name.size() != prefix.size() + kRandomPart || !name.starts_with(prefix)) continue;
    struct stat info {};
    const std::string path = (directory / std::string(name)).string();
    if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
        now - info.st_mtime > kStaleAfter) {
      ::unlink(path.c_str());
    }
  }
  ::closedir(dir);
}

// A FIFO, a device or standard output: written in place, without a temporary.
bool writeStream(const std::string& path, std::string_view bytes, std::string& error) {
  if (path == "-") {
    if (writeAll(STDOUT_FILENO, bytes)) return true;
    error = failure(path, errno);
    return false;
  }
  // Not blocking in open: a FIFO without a reader fails at once instead of hanging.
  const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = errno == ENXIO ? "cannot write " + path + ": nothing reads from it" : failure(path, errno);
    return false;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  bool written = flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0 && writeAll(fd, bytes);
  int number = written ? 0 : errno;
  if (::close(fd) != 0 && written) {
    written = false;
    number = errno;
  }
  if (!written) error = failure(path, number);
  return written;
}

}  // namespace

std::string linkTarget(const std::string& path) {
  std::filesystem::path target(path);
  for (int hop = 0; hop < kMaxLinks; ++hop) {
    std::error_code code;
    if (!std::filesystem::is_symlink(std::filesystem::symlink_status(target, code))) break;
    const std::filesystem::path next = std::filesystem::read_symlink(target, code);
    if (code) break;
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
  return target.string();
}

bool writeTemporary(const std::string& path, std::string_view bytes, std::string& temporary, std::string& error) {
  const std::string resolved = linkTarget(path);
  struct stat existing {};
  const bool exists = ::stat(resolved.c_str(), &existing) == 0;
  if (exists && !S_ISREG(existing.st_mode)) {
    error = S_ISDIR(existing.st_mode) ? failure(path, EISDIR) : "cannot write " + path + ": it is not a regular file";
    return false;
  }
  const std::filesystem::path target(resolved);
  std::filesystem::path directory = target.parent_path();
  if (directory.empty()) directory = ".";
  const std::string prefix = temporaryPrefix(target.filename().string());
  removeStaleTemporaries(directory, prefix);
  temporary = (directory / (prefix + std::string(kRandomPart, 'X'))).string();
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) {
    error = failure(path, errno);
    return false;
  }
  // The replaced file's owner and permission bits stay; a failed chown (not root) changes nothing.
  if (exists) {
    [[maybe_unused]] const int owned = ::fchown(fd, existing.st_uid, existing.st_gid);
  }
  const mode_t mode = exists ? existing.st_mode & 07777 : ordinaryMode();
  bool written = writeAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
  int number = written ? 0 : errno;
  if (::close(fd) != 0 && written) {
    written = false;
    number = errno;
  }
  if (!written) {
    ::unlink(temporary.c_str());
    error = failure(path, number);
  }
  return written;
}

bool writeWholeFile(const std::string& path, std::string_view bytes, std::string& error) {
  if (path == "-") return writeStream(path, bytes, error);
  const std::string resolved = linkTarget(path);
  struct stat existing {};
  if (::stat(resolved.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode) && !S_ISDIR(existing.st_mode)) {
    return writeStream(resolved, bytes, error);
  }
  std::string temporary;
  if (!writeTemporary(path, bytes, temporary, error)) return false;
  if (::rename(temporary.c_str(), resolved.c_str()) != 0) {
    const int number = errno;
    ::unlink(temporary.c_str());
    error = failure(path, number);
    return false;
  }
  return true;
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
