#include "source/startup_paths.h"

#include "runtime/text.h"

namespace kelm {

std::string helpFilePathFor(std::string_view argument0, std::string_view executableDirectory) {
  const std::string_view directory = directoryPart(argument0);
  if (!directory.empty() && directory.front() == '/') return std::string(directory) + kHelpFileName;
  if (executableDirectory.empty()) return std::string(directory) + kHelpFileName;
  std::string path(executableDirectory);
  if (path.back() != '/') path += '/';
  return path + kHelpFileName;
}

std::string projectDirectoryOf(std::string_view projectPath) {
  return std::string(directoryPart(trimRight(projectPath)));
}

}  // namespace kelm
