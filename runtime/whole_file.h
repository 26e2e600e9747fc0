#pragma once
// Files written whole or not at all, so that a reader never meets half of one.

#include <string>
#include <string_view>

namespace kelm::runtime {

// Writes bytes to a temporary file beside path and renames it to path, so that path never
// holds a part of them. On failure nothing is left behind and error says why, in one line.
// A symbolic link is followed: the file it leads to is replaced, the link stays. An existing
// file keeps its permission bits. A FIFO, a device or "-" (standard output) is written as a
// stream, since there is nothing to rename. Temporaries are named ".NAME.kelm-XXXXXX" (NAME
// cut to fit); one that a killed writer left is removed by the next write of the same file
// once it is an hour old.
bool writeWholeFile(const std::string& path, std::string_view bytes, std::string& error);

// The first half of writeWholeFile for a regular file or a new name: the bytes, synced, in a
// temporary beside the file path leads to, for the caller to rename over it (or remove), so
// that several files can be replaced together. A FIFO, a device or a directory is refused.
bool writeTemporary(const std::string& path, std::string_view bytes, std::string& temporary, std::string& error);

// Makes sure directory exists, creating it and its parents when missing.
bool makeDirectory(const std::string& directory, std::string& error);

// The path that writeWholeFile writes for path: its symbolic links followed, also where they
// lead to nothing yet. Unchanged when path is not a link.
std::string linkTarget(const std::string& path);

}  // namespace kelm::runtime
