#include "source/project_files/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kelm::projectfiles {
namespace {

const char* kindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a directory";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a file";
}

}  // namespace

InputRead readInputFile(const std::string& path, std::size_t limit, std::string& text, std::string& why) {
  text.clear();
  // Not blocking in open: a FIFO without a writer would hold it; the type is checked next.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return InputRead::kMissing;
    why = std::strerror(errno);
    return InputRead::kUnreadable;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    why = std::string(kindOf(info.st_mode)) + ", not a regular file";
    ::close(fd);
    return InputRead::kNotRegular;
  }
  // Sized by the file, grown if it grows: zeroing the whole limit for each small file made
  // every read cost a tenth of a second.
  const std::size_t wanted = limit + 1;
  text.resize(std::min(wanted, static_cast<std::size_t>(std::max<off_t>(info.st_size, 0)) + 4096));
  std::size_t have = 0;
  while (have < text.size()) {
    const ssize_t n = ::read(fd, text.data() + have, text.size() - have);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      why = std::strerror(errno);
      ::close(fd);
      text.clear();
      return InputRead::kUnreadable;
    }
    if (n == 0) break;
    have += static_cast<std::size_t>(n);
    if (have == text.size() && text.size() < wanted) text.resize(std::min(wanted, 2 * text.size()));
  }
  ::close(fd);
  text.resize(have);
  return have > limit ? InputRead::kTooLong : InputRead::kOk;
}

std::string inputFailure(const std::string& name, InputRead read, const std::string& why) {
  switch (read) {
    case InputRead::kOk: return {};
    case InputRead::kMissing: return name + " not found";
    case InputRead::kTooLong: return name + " is too long";
    case InputRead::kNotRegular: return name + ": " + why;
    case InputRead::kUnreadable: break;
  }
  return name + " cannot be read: " + why;
}

}  // namespace kelm::projectfiles
