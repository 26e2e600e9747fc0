#pragma once
// Child processes that do not outlive their parent: the parent passes SIGINT and SIGTERM on to
// them and waits for them before it ends by the signal, and each child ends when its parent
// does, even by SIGKILL. For programs that start children from their only thread.

#include <sys/types.h>

#include <string>
#include <vector>

namespace kelm {

// While one lives, SIGINT, SIGTERM and SIGCHLD are held in this thread for waitChild.
class ChildSignals {
 public:
  ChildSignals();
  ~ChildSignals();
  ChildSignals(const ChildSignals&) = delete;
  ChildSignals& operator=(const ChildSignals&) = delete;

  // Waits for one of the running children to end: its pid, with its status; -1 when none is
  // left to wait for. A SIGINT or SIGTERM that comes meanwhile is passed on to every running
  // child; once they have ended, this process ends by that signal.
  pid_t waitChild(const std::vector<pid_t>& running, int& status);
};

// In a new child, between fork and its work or exec: the signals as they were before any
// ChildSignals, and SIGTERM when the parent ends. False when the parent ended before that
// could be arranged; the child must then leave at once.
bool adoptChild(pid_t parent);

// Starts argv (searched in the PATH) as an adopted child with its standard output and error
// into logFile, or inherited when that is empty; -1 with why when it cannot be started.
pid_t startProgram(const std::vector<std::string>& argv, const std::string& logFile, std::string& error);

}  // namespace kelm
