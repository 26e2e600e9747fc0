#include "source/project_files/project_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "source/project_files/solve_record.h"

namespace kelm::projectfiles {

ProjectLock::~ProjectLock() {
  if (fd_ >= 0) ::close(fd_);
}

bool ProjectLock::acquire(const std::string& directory, std::string& error) {
  const std::string path = directory + "/" + kLockFile;
  // Never through a link, nor blocking on a FIFO planted under the name.
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
  if (fd < 0) return (error = "cannot lock the project (" + std::string(kLockFile) + "): " + std::strerror(errno), false);
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int number = errno;
    char holder[32] = {};
    const ssize_t n = ::pread(fd, holder, sizeof holder - 1, 0);
    ::close(fd);
    if (number != EWOULDBLOCK) return (error = std::string("cannot lock the project: ") + std::strerror(number), false);
    std::string pid(holder, n > 0 ? static_cast<std::size_t>(n) : 0);
    while (!pid.empty() && (pid.back() == '\n' || pid.back() == ' ')) pid.pop_back();
    error = "another solve" + (pid.empty() ? std::string() : " (process " + pid + ")") + " is working on this project";
    return false;
  }
  // The holder's process id, for the message of the next one; the lock is the flock, not this.
  const std::string pid = std::to_string(::getpid()) + "\n";
  [[maybe_unused]] const bool noted = ::ftruncate(fd, 0) == 0 && ::pwrite(fd, pid.data(), pid.size(), 0) > 0;
  fd_ = fd;
  return true;
}

}  // namespace kelm::projectfiles
