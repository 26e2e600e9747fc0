#pragma once
// The layer's message boxes. Message thread. Internal to window/.

#include <string_view>

namespace kelm::window {

void showAboutBox();
void showLayerText(std::string_view title, std::string_view text);
// "Program Terminated with exit code N\nExit Window?"; true for Yes.
bool askEndOfProgram(int exitCode);

}  // namespace kelm::window
