#pragma once
// What KELM keeps for its user between runs, in the user's own settings: short lists of texts,
// and the frame's place on the screen.

#include <string>
#include <string_view>
#include <vector>

namespace kelm::window {

std::vector<std::string> readSettingsList(std::string_view key);
void writeSettingsList(std::string_view key, const std::vector<std::string>& values);

// The frame's geometry and state as the last run left them, where they are on a screen that
// is still there. Before the frame is first shown.
void restoreFrameLayout();
// When the frame closes.
void saveFrameLayout();

}  // namespace kelm::window
