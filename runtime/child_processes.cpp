#include "runtime/child_processes.h"

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace kelm {
namespace {

int depth = 0;           // ChildSignals alive
sigset_t before;         // the mask before the first of them

sigset_t heldSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (const int s : {SIGINT, SIGTERM, SIGCHLD}) sigaddset(&set, s);
  return set;
}

[[noreturn]] void endBy(int signal, const std::vector<pid_t>& running) {
  for (const pid_t pid : running) ::kill(pid, signal);
  for (const pid_t pid : running) {
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
  std::fflush(nullptr);
  std::signal(signal, SIG_DFL);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  ::sigprocmask(SIG_UNBLOCK, &only, nullptr);
  ::raise(signal);
  ::_exit(128 + signal);
}

}  // namespace

ChildSignals::ChildSignals() {
  const sigset_t held = heldSignals();
  sigset_t old;
  ::sigprocmask(SIG_BLOCK, &held, &old);
  if (depth++ == 0) before = old;
}

ChildSignals::~ChildSignals() {
  if (--depth == 0) ::sigprocmask(SIG_SETMASK, &before, nullptr);
}

pid_t ChildSignals::waitChild(const std::vector<pid_t>& running, int& status) {
  const sigset_t held = heldSignals();
  for (;;) {
    bool waitable = false;
    for (const pid_t pid : running) {
      const pid_t ended = ::waitpid(pid, &status, WNOHANG);
      if (ended == pid) return pid;
      waitable = waitable || ended == 0;
    }
    if (!waitable) return -1;
    // A child that ends after the look above leaves SIGCHLD pending, so nothing is missed.
    const int signal = ::sigwaitinfo(&held, nullptr);
    if (signal == SIGINT || signal == SIGTERM) endBy(signal, running);
  }
}

bool adoptChild(pid_t parent) {
  ::sigprocmask(SIG_SETMASK, depth > 0 ? &before : nullptr, nullptr);
  // The parent may have died before the request: then init adopted this child already.
  return ::prctl(PR_SET_PDEATHSIG, SIGTERM) == 0 && ::getppid() == parent;
}

pid_t startProgram(const std::vector<std::string>& argv, const std::string& logFile, std::string& error) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  // The child's errno when exec fails comes back through this pipe; exec closes it otherwise.
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return (error = "cannot run " + argv[0] + ": " + std::strerror(errno), -1);
  const pid_t parent = ::getpid();
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    int failure = 0;
    if (!adoptChild(parent)) ::_exit(127);
    if (!logFile.empty()) {
      const int fd = ::open(logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
      if (fd < 0 || ::dup2(fd, 1) < 0 || ::dup2(fd, 2) < 0) failure = errno;
    }
    if (failure == 0) ::execvp(args[0], args.data());
    failure = failure != 0 ? failure : errno;
    (void)!::write(report[1], &failure, sizeof failure);
    ::_exit(127);
  }
  ::close(report[1]);
  int failure = pid < 0 ? errno : 0;
  if (pid > 0) {
    while (::read(report[0], &failure, sizeof failure) < 0 && errno == EINTR) {
    }
  }
  ::close(report[0]);
  if (failure == 0) return pid;
  if (pid > 0) {
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
  error = "cannot run " + argv[0] + ": " + std::strerror(failure);
  return -1;
}

}  // namespace kelm
