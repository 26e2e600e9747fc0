#pragma once
// The layer's built-in menu commands (identifiers 1000 to 1025). Message thread. Internal.

namespace kelm::window {

void runBuiltinCommand(int id);

}  // namespace kelm::window
