#pragma once
// The frame's side of close_guard.h. Message thread. Internal to window/.

namespace kelm::window {

// True when the close must wait: the user kept the command running, or it is being stopped
// and the frame closes by itself afterwards.
bool closeWaitsForCommand();

}  // namespace kelm::window
