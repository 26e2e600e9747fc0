#pragma once
// The directory tree of the "Select KELM projects" dialog, read by absolute path: the
// process's current directory, on which the program thread and every relative file name
// rely, is never changed for it.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "window/dialog_controls.h"

namespace kelm {

// Images of the tree's items, in the order the dialog hands their bitmaps to the tree.
inline constexpr int kFolderImage = 0;
inline constexpr int kProjectImage = 1;

// The subdirectories of directory, each with the project image when it holds geom.cod and
// with the first of its own subdirectories as a probe child, so that the tree can offer to
// expand it. A directory that cannot be listed has none.
std::vector<window::TreeEntry> subdirectoryEntries(const std::string& directory);

// Whether directory holds geom.cod (a file, or a link to one).
bool holdsProject(const std::string& directory);

// The absolute path of a tree item: the place the tree was listed from, then the names.
std::string joinedPath(std::string_view root, std::span<const std::string> names);

}  // namespace kelm
