#pragma once
// Exit and the frame's close button while the program runs a long command: the user is asked
// whether to stop it, and the frame closes once it has stopped, never in the middle of it.

namespace kelm::window {

struct RunningCommand {
  bool (*running)() = nullptr;  // any thread
  void (*stop)() = nullptr;     // asks the command to end at its next step
  const char* question = "";
};
// Message thread, once at start-up.
void guardFrameClose(const RunningCommand& command);

}  // namespace kelm::window
