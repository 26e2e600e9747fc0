#include "source/program/startup_paths.h"

#include "runtime/process_paths.h"
#include "runtime/text.h"

namespace kelm {
namespace {

std::string helpFile;

}  // namespace

std::string helpFilePathFor(std::string_view argument0, std::string_view executableDirectory) {
  if (executableDirectory.empty()) return std::string(directoryPart(argument0)) + kHelpFileName;
  std::string path(executableDirectory);
  if (path.back() != '/') path += '/';
  return path + kHelpFileName;
}

std::string projectDirectoryOf(std::string_view projectPath) {
  return std::string(directoryPart(trimRight(projectPath)));
}

void findHelpFile(std::string_view argument0) { helpFile = helpFilePathFor(argument0, executableDirectory()); }

const std::string& helpFilePath() { return helpFile; }

}  // namespace kelm
