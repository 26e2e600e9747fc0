#include "source/command_line_tools/project_list.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "source/command_line_tools/option_values.h"

namespace kelm::cli {
namespace {

constexpr std::size_t kMaxProjects = 1000000, kMaxPath = 4096;
// Far beyond a million names of a usual length; a larger file is no list of projects.
constexpr std::size_t kMaxBytes = std::size_t{256} << 20;

std::string cannotRead(std::string_view from, int number) {
  return "cannot read the project list " + shownText(from) + ": " + std::strerror(number);
}

}  // namespace

std::vector<std::string> projectNames(std::string_view text, bool nulSeparated, std::string_view from) {
  const char end = nulSeparated ? '\0' : '\n';
  std::vector<std::string> names;
  for (std::size_t line = 1; !text.empty(); ++line) {
    const std::size_t stop = text.find(end);
    std::string_view name = text.substr(0, stop);
    text = stop == std::string_view::npos ? std::string_view() : text.substr(stop + 1);
    if (!nulSeparated && name.ends_with('\r')) name.remove_suffix(1);
    if (name.empty()) continue;
    const std::string where =
        "the project list " + shownText(from) + (nulSeparated ? "" : " line " + std::to_string(line));
    if (name.find('\0') != std::string_view::npos)
      throw UsageError(where + " holds a NUL byte (--null reads a list of names ended by NUL)");
    if (name.size() > kMaxPath)
      throw UsageError(where + " holds a path longer than " + std::to_string(kMaxPath) + " bytes");
    if (names.size() == kMaxProjects)
      throw UsageError("the project list " + shownText(from) + " names more than a million projects");
    names.emplace_back(name);
  }
  return names;
}

std::vector<std::string> readProjectList(const std::string& from, bool nulSeparated) {
  std::FILE* file = from == "-" ? stdin : std::fopen(from.c_str(), "rb");
  if (file == nullptr) throw UsageError(cannotRead(from, errno));
  std::string text;
  char buffer[65536];
  std::size_t got = 0;
  while (text.size() <= kMaxBytes && (got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
  // A directory opens, and fails on the first read.
  const int number = std::ferror(file) != 0 ? errno : 0;
  if (file != stdin) std::fclose(file);
  if (number != 0) throw UsageError(cannotRead(from, number));
  if (text.size() > kMaxBytes) throw UsageError("the project list " + shownText(from) + " is larger than 256 MiB");
  return projectNames(text, nulSeparated, from);
}

}  // namespace kelm::cli
