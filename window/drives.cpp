#include "window/drives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>
#include <array>

#include "runtime/process_paths.h"

namespace kelm::window {
namespace {

std::string raw(const QString& path) {
  const QByteArray bytes = QFile::encodeName(path);
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// Whether a mount holds the user's files rather than the system's run-time state.
bool holdsUserFiles(std::string_view fileSystemType, std::string_view mountPoint) {
  static constexpr std::array<std::string_view, 24> kVirtual = {
      "autofs",   "binfmt_misc", "bpf",     "cgroup",    "cgroup2",   "configfs",
      "debugfs",  "devpts",      "devtmpfs", "efivarfs", "fusectl",   "hugetlbfs",
      "mqueue",   "nsfs",        "overlay", "proc",      "pstore",    "ramfs",
      "rpc_pipefs", "securityfs", "sysfs",  "tmpfs",     "tracefs",   "fuse.portal",
  };
  if (std::find(kVirtual.begin(), kVirtual.end(), fileSystemType) != kVirtual.end()) return false;
  if (isWithin(mountPoint, "/run/media")) return true;  // removable disks on some systems
  for (std::string_view system : {"/proc", "/sys", "/dev", "/run"}) {
    if (isWithin(mountPoint, system)) return false;
  }
  return true;
}

}  // namespace

std::vector<std::string> driveRoots() {
  std::vector<std::string> roots = {"/", raw(QDir::homePath())};
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    const QString root = volume.rootPath();
    // Containers mount single files as well; only directories can be browsed.
    if (!volume.isValid() || !QFileInfo(root).isDir()) continue;
    const std::string place = raw(root);
    if (holdsUserFiles(volume.fileSystemType().toStdString(), place)) roots.push_back(place);
  }
  std::sort(roots.begin(), roots.end());
  roots.erase(std::unique(roots.begin(), roots.end()), roots.end());
  return roots;
}

}  // namespace kelm::window
