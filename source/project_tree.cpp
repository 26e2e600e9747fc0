#include "source/project_tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace kelm {
namespace {

constexpr char kProjectFile[] = "geom.cod";

// Children are opened relative to their parent, so a listing of thousands of directories
// does not resolve the whole path again for each.
class DirectoryStream {
 public:
  explicit DirectoryStream(int descriptor) : stream_(descriptor >= 0 ? ::fdopendir(descriptor) : nullptr) {
    if (descriptor >= 0 && stream_ == nullptr) ::close(descriptor);
  }
  ~DirectoryStream() {
    if (stream_ != nullptr) ::closedir(stream_);
  }
  DirectoryStream(const DirectoryStream&) = delete;
  DirectoryStream& operator=(const DirectoryStream&) = delete;

  bool isOpen() const { return stream_ != nullptr; }
  int descriptor() const { return ::dirfd(stream_); }

  // The name of the next subdirectory, valid until the next call; null at the end.
  const char* nextSubdirectory() {
    while (const dirent* entry = ::readdir(stream_)) {
      if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
      if (isDirectory(*entry)) return entry->d_name;
    }
    return nullptr;
  }

 private:
  // Links to directories count as directories; only they and unknown types need a stat.
  bool isDirectory(const dirent& entry) const {
    if (entry.d_type == DT_DIR) return true;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return false;
    struct stat status;
    return ::fstatat(descriptor(), entry.d_name, &status, 0) == 0 && S_ISDIR(status.st_mode);
  }

  DIR* stream_;
};

window::TreeEntry entryOf(int parent, const char* name) {
  const std::string projectFile = std::string(name) + "/" + kProjectFile;
  struct stat status;
  const bool project = ::fstatat(parent, projectFile.c_str(), &status, 0) == 0 && !S_ISDIR(status.st_mode);
  return {name, project ? kProjectImage : kFolderImage, {}};
}

}  // namespace

std::vector<window::TreeEntry> subdirectoryEntries(const std::string& directory) {
  std::vector<window::TreeEntry> entries;
  DirectoryStream listing(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!listing.isOpen()) return entries;
  while (const char* name = listing.nextSubdirectory()) {
    window::TreeEntry entry = entryOf(listing.descriptor(), name);
    DirectoryStream probe(::openat(listing.descriptor(), name, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (probe.isOpen()) {
      if (const char* first = probe.nextSubdirectory()) entry.children.push_back(entryOf(probe.descriptor(), first));
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::string joinedPath(std::string_view root, std::span<const std::string> names) {
  std::string path(root);
  for (const std::string& name : names) {
    if (path.empty() || path.back() != '/') path += '/';
    path += name;
  }
  return path;
}

}  // namespace kelm
