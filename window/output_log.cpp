#include "window/output_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "runtime/text.h"

namespace kelm::window {

namespace {

bool writeAll(int fd, std::string_view bytes, int& error) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = n < 0 ? errno : EIO;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::string reason(int error) {
  // Opening a FIFO for writing without waiting fails so when nobody reads it.
  if (error == ENXIO) return "a FIFO that nobody reads";
  return std::strerror(error);
}

}  // namespace

OutputLog::~OutputLog() {
  if (owned_) ::close(fd_);
}

void OutputLog::open(std::string_view target, std::string_view program, std::string_view variable,
                     int complaints) {
  std::lock_guard guard(lock_);
  program_ = program;
  variable_ = variable;
  complaints_ = complaints;
  target_ = target;
  if (target == "-") {
    fd_ = STDERR_FILENO;
    return;
  }
  int fd;
  do {
    fd = ::open(target_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    complain("cannot be opened (" + reason(errno) + ")");
    return;
  }
  // Once open, a FIFO's reader sets the pace, as it does for standard error.
  (void)::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  fd_ = fd;
  owned_ = true;
}

bool OutputLog::isOpen() const {
  std::lock_guard guard(lock_);
  return fd_ >= 0;
}

void OutputLog::write(std::string_view record) {
  std::lock_guard guard(lock_);
  if (fd_ < 0) return;
  // One record is one line of the log, whatever a path inside it holds.
  std::string line = printable(record);
  line += '\n';
  int error = 0;
  if (!writeAll(fd_, line, error)) drop(error);
}

void OutputLog::complain(const std::string& what) {
  std::string line = program_ + ": the log " + variable_ + "=" + printable(target_) + " " + what + "\n";
  int ignored = 0;
  // Standard error itself may be the log that failed; then nobody can be told.
  (void)writeAll(complaints_, line, ignored);
}

void OutputLog::drop(int error) {
  if (owned_) ::close(fd_);
  fd_ = -1;
  owned_ = false;
  complain("cannot be written (" + reason(error) + "); KELM goes on without it");
}

OutputLog& outputLog() {
  static OutputLog log;
  return log;
}

void startOutputLog(std::string_view program, const char* variable) {
  const char* target = std::getenv(variable);
  if (target == nullptr || *target == '\0') return;
  outputLog().open(target, program, variable, STDERR_FILENO);
}

}  // namespace kelm::window
