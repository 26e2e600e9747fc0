#pragma once
// Where a user may start browsing for projects. Linux has no drive letters: the places that
// stand in for them are the file system root, the home directory and each mounted disk.

#include <string>
#include <vector>

namespace kelm::window {

// "/", the home directory and the root of every mounted file system that holds files,
// sorted, each once.
std::vector<std::string> driveRoots();

}  // namespace kelm::window
