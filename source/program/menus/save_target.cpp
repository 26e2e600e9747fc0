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
  // A link is judged by the file it leads to, which is what the save would replace.
  std::error_code code;
  const fs::path target = fs::is_symlink(path, code) ? fs::weakly_canonical(path, code) : fs::path(path);
  for (const fs::path& name : {fs::path(path).filename(), target.filename()}) {
    if (projectfiles::isProjectFileName(name.string()))
      return upper(name.string()) + " is a project file: save the picture under another name.";
  }
  return {};
}

}  // namespace kelm
