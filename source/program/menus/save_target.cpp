#include "source/program/menus/save_target.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "source/project_files/project_file_names.h"

namespace kelm {
namespace {

namespace fs = std::filesystem;

std::string upper(std::string name) {
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return char(std::toupper(c)); });
  return name;
}

}  // namespace

std::string saveTargetRefusal(const std::string& path) {
  // A link is judged by each name on the way to the file the save would replace, which need
  // not exist yet; a loop of links ends the walk.
  fs::path at(path);
  for (int link = 0; link < 40; ++link) {
    const std::string name = at.filename().string();
    if (projectfiles::isProjectFileName(name))
      return upper(name) + " is a project file: save the picture under another name.";
    std::error_code code;
    if (!fs::is_symlink(at, code)) break;
    const fs::path next = fs::read_symlink(at, code);
    if (code) break;
    at = next.is_absolute() ? next : at.parent_path() / next;
  }
  return {};
}

}  // namespace kelm
