// The user's text editor, started on one file without a shell and without waiting for it.
#include <spawn.h>
#include <sys/wait.h>

#include <csignal>
#include <cstdlib>
#include <vector>

#include "window/dialogs.h"

extern char** environ;

namespace kelm::window {

namespace {

// Editors started earlier; those that have ended are reaped at the next start, so that closed
// editors do not pile up as zombies.
std::vector<pid_t>& startedEditors() {
  static std::vector<pid_t> started;
  return started;
}

void reapEndedEditors() {
  std::erase_if(startedEditors(), [](pid_t editor) { return ::waitpid(editor, nullptr, WNOHANG) != 0; });
}

}  // namespace

bool startEditor(const std::string& named, const std::string& path) {
  reapEndedEditors();
  const std::string program = named.empty() ? "xdg-open" : named;
  // Bytes as they are: a directory name that is not valid text must still name the file.
  char* arguments[] = {const_cast<char*>(program.c_str()), const_cast<char*>(path.c_str()), nullptr};
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attributes, &none);
  // KELM ignores SIGPIPE for its log; the editor and what it starts should not.
  sigset_t restored;
  sigemptyset(&restored);
  sigaddset(&restored, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &restored);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  pid_t editor = 0;
  const int failure = posix_spawnp(&editor, program.c_str(), nullptr, &attributes, arguments, environ);
  posix_spawnattr_destroy(&attributes);
  if (failure != 0) return false;
  startedEditors().push_back(editor);
  return true;
}

}  // namespace kelm::window
