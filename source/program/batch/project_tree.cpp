#include "source/program/batch/project_tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstring>

namespace kelm {
namespace {

constexpr char kProjectFile[] = "geom.cod";

// A directory's entries in the platform's order, read straight into a buffer of its own.
// Directories are opened relative to their parent, so thousands of them do not each resolve
// the whole path again, and without the C library's directory streams, which cost two more
// system calls per directory; a probe of every subdirectory makes those count.
class DirectoryReader {
 public:
  explicit DirectoryReader(int descriptor) : descriptor_(descriptor) {}
  DirectoryReader(int parent, const char* name)
      : descriptor_(::openat(parent, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}
  ~DirectoryReader() {
    if (descriptor_ >= 0) ::close(descriptor_);
  }
  DirectoryReader(const DirectoryReader&) = delete;
  DirectoryReader& operator=(const DirectoryReader&) = delete;

  int descriptor() const { return descriptor_; }
  bool failed() const { return failed_; }

  // The next entry other than "." and "..", valid until the next call; null at the end or
  // when reading fails (a directory that could not be opened fails at once).
  const dirent64* next() {
    for (;;) {
      if (offset_ >= size_) {
        size_ = ::getdents64(descriptor_, buffer_.data(), buffer_.size());
        offset_ = 0;
        if (size_ <= 0) {
          failed_ = size_ < 0;
          return nullptr;
        }
      }
      const auto* entry = reinterpret_cast<const dirent64*>(buffer_.data() + offset_);
      offset_ += entry->d_reclen;
      if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) return entry;
    }
  }

  // Links to directories count as directories; only they and unknown types need a look.
  bool isDirectory(const dirent64& entry) const {
    if (entry.d_type == DT_DIR) return true;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return false;
    struct stat status;
    return ::fstatat(descriptor_, entry.d_name, &status, 0) == 0 && S_ISDIR(status.st_mode);
  }

 private:
  int descriptor_;
  bool failed_ = false;
  ssize_t size_ = 0, offset_ = 0;
  alignas(dirent64) std::array<char, 16384> buffer_;
};

bool holdsProjectFile(int parent, const char* name) {
  const std::string file = std::string(name) + "/" + kProjectFile;
  struct stat status;
  return ::fstatat(parent, file.c_str(), &status, 0) == 0 && !S_ISDIR(status.st_mode);
}

int imageOf(bool project) { return project ? kProjectImage : kFolderImage; }

// A subdirectory with its first own subdirectory as the probe. An empty one is read to its end
// anyway, which also tells whether it holds geom.cod.
window::TreeEntry entryWithProbe(int parent, const char* name) {
  window::TreeEntry entry{name, kFolderImage, {}};
  DirectoryReader directory(parent, name);
  bool project = false, sure = true;
  while (const dirent64* e = directory.next()) {
    if (directory.isDirectory(*e)) {
      entry.children.push_back({e->d_name, imageOf(holdsProjectFile(directory.descriptor(), e->d_name)), {}});
      sure = false;  // geom.cod may come later
      break;
    }
    if (std::strcmp(e->d_name, kProjectFile) == 0) {
      if (e->d_type == DT_REG) project = true;
      else sure = false;  // a link counts only when it leads to a file
    }
  }
  if (!project && (!sure || directory.failed())) project = holdsProjectFile(parent, name);
  entry.image = imageOf(project);
  return entry;
}

}  // namespace

bool holdsProject(const std::string& directory) { return holdsProjectFile(AT_FDCWD, directory.c_str()); }

std::vector<window::TreeEntry> subdirectoryEntries(const std::string& directory) {
  std::vector<window::TreeEntry> entries;
  DirectoryReader listing(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  while (const dirent64* e = listing.next()) {
    if (listing.isDirectory(*e)) entries.push_back(entryWithProbe(listing.descriptor(), e->d_name));
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
