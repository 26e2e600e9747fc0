#pragma once
// The projects made current lately, newest first, kept in the user's settings between runs and
// offered at the end of the File menu.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kelm {

inline constexpr std::size_t kRecentProjectCount = 5;

// The list with directory first: once only, and no longer than kRecentProjectCount.
std::vector<std::string> withProjectFirst(std::vector<std::string> list, const std::string& directory);

// The menu's items, "&1 " and the directory with its "&" doubled; a long directory keeps its
// start and its end.
std::string recentProjectItemText(std::size_t index, const std::string& directory);

// At start-up, once the menu bar is built.
void showRecentProjects();
// The current directory has just become the project.
void rememberCurrentProject();

// Makes the chosen file's directory the project and asks the display driver to load it, as
// "Load Kelm project..." and the recent items do; a directory that cannot be entered reloads
// the current project.
void makeProjectCurrent(std::string_view chosenFile);

}  // namespace kelm
