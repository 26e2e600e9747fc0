#include "source/program/project/project_watch.h"

#include <sys/stat.h>

#include <array>
#include <atomic>

#include "source/klplot/project/load_status.h"
#include "source/program/bar_layout.h"
#include "source/program/request_flags.h"
#include "source/project_files/solve_record.h"
#include "window/file_watch.h"
#include "window/menus.h"

namespace kelm {
namespace {

// The bare names the readers open, and the solve's record last.
const std::array<const char*, klplot::kProjectFiles.size() + 1>& projectFileNames() {
  static const auto names = [] {
    std::array<const char*, klplot::kProjectFiles.size() + 1> list{};
    for (std::size_t k = 0; k < klplot::kProjectFiles.size(); ++k) list[k] = klplot::kProjectFiles[k].file.data();  // literals
    list.back() = projectfiles::kRecordFile;
    return list;
  }();
  return names;
}

std::atomic<std::uint64_t> loadedFiles{0};
bool watching = true;  // message thread only

std::uint64_t mix(std::uint64_t hash, std::uint64_t value) {
  hash ^= value + 0x9e3779b97f4a7c15ULL + (hash << 6) + (hash >> 2);
  return hash;
}

// Identity, size and times of each file, by the bare names the readers open. A writer that
// replaces a file or rewrites it in place changes at least one of them. A project with a solve's
// record changes when its record does: the solve writes it last, once every result is there.
std::uint64_t projectFilesSignature() {
  std::uint64_t hash = 0;
  struct stat record {};
  const bool recorded = ::stat(projectfiles::kRecordFile, &record) == 0;
  for (const char* name : projectFileNames()) {
    if (recorded && name != projectfiles::kRecordFile) continue;
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
  // Results being renamed into place: the record's last write brings the whole of them.
  projectfiles::SolveRecord record;
  if (projectfiles::readRecord(".", record) == projectfiles::RecordState::kRead &&
      record.status == projectfiles::SolveStatus::kWriting)
    return true;
  // Grey at once, so that no dialog reading the store opens before the driver leaves.
  greyBusyCommands();
  reloadRequested.store(1);
  leaveRequested.store(1);
  return true;
}

}  // namespace

void noteProjectFilesLoaded() { loadedFiles.store(projectFilesSignature()); }

void watchProjectFiles(const std::string& directory) {
  if (!directory.empty()) window::watchFiles(directory, projectFileNames(), takeFileChange);
}

void watchFilesCommand(std::int32_t*) {
  watching = !watching;
  const MenuPlace place = placeOfCommand(watchFilesCommand);
  window::setMenuItemFlags(place.menu, place.item, watching ? window::kChecked : window::kUnchecked);
  // What changed while watching was off is loaded now.
  if (watching) window::recheckWatchedFiles();
}

}  // namespace kelm
