#include "source/project_watch.h"

#include <sys/stat.h>

#include <atomic>

#include "source/menu_bar.h"
#include "source/request_flags.h"
#include "window/file_watch.h"
#include "window/menus.h"

namespace kelm {
namespace {

constexpr const char* kProjectFiles[] = {"geom.dat", "mag.dat", "pot.dat", "klplt.res"};
constexpr int kStateMenu = 3;
constexpr int kWatchItem = 2;

std::atomic<std::uint64_t> loadedFiles{0};
bool watching = true;  // message thread only

std::uint64_t mix(std::uint64_t hash, std::uint64_t value) {
  hash ^= value + 0x9e3779b97f4a7c15ULL + (hash << 6) + (hash >> 2);
  return hash;
}

// Identity, size and times of each file, by the bare names the readers open. A writer that
// replaces a file or rewrites it in place changes at least one of them.
std::uint64_t projectFilesSignature() {
  std::uint64_t hash = 0;
  for (const char* name : kProjectFiles) {
    struct stat s {};
    if (::stat(name, &s) != 0) {
      hash = mix(hash, 0);
      continue;
    }
    for (const auto value : {std::uint64_t(s.st_dev), std::uint64_t(s.st_ino), std::uint64_t(s.st_size),
                             std::uint64_t(s.st_mtim.tv_sec), std::uint64_t(s.st_mtim.tv_nsec),
                             std::uint64_t(s.st_ctim.tv_sec), std::uint64_t(s.st_ctim.tv_nsec)})
      hash = mix(hash, value);
  }
  return hash;
}

// Message thread, once the files are quiet.
bool takeFileChange() {
  if (!watching) return true;
  // The driver is loading, leaving, or away serving Solve or the batch: it loads afterwards
  // anyway, and the change is weighed again then.
  if (leaveRequested.load() != 0) return false;
  if (projectFilesSignature() == loadedFiles.load()) return true;
  // Grey at once, so that no dialog reading the store opens before the driver leaves.
  greyBusyCommands();
  reloadRequested.store(1);
  leaveRequested.store(1);
  return true;
}

}  // namespace

void noteProjectFilesLoaded() { loadedFiles.store(projectFilesSignature()); }

void watchProjectFiles(const std::string& directory) {
  if (!directory.empty()) window::watchFiles(directory, kProjectFiles, takeFileChange);
}

void watchFilesCommand(std::int32_t*) {
  watching = !watching;
  window::setMenuItemFlags(kStateMenu, kWatchItem, watching ? window::kChecked : window::kUnchecked);
  // What changed while watching was off is loaded now.
  if (watching) window::recheckWatchedFiles();
}

}  // namespace kelm
