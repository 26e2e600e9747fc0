#pragma once
// Watching the current project's files for another program's writes.

#include <span>
#include <string>

namespace kelm::window {

// Called on the message thread once the watched files have been quiet for a moment after a
// change, never while a modal window is open or the program is paused. Returns false when
// the program cannot take the change yet: it is then asked again a little later.
using FilesQuietCallback = bool (*)();

// Watches the named files of directory and the directory itself, so that a file replaced by a
// rename or created later is seen too. A new directory replaces the old one; the same one
// only picks up the files that have appeared since.
void watchFiles(const std::string& directory, std::span<const char* const> names, FilesQuietCallback onQuiet);
// As if a watched file had just changed: onQuiet is called after the quiet time.
void recheckWatchedFiles();

// The frame's child timer that runs from a change until onQuiet has taken it.
inline constexpr char kQuietTimerName[] = "projectFilesQuiet";

}  // namespace kelm::window
