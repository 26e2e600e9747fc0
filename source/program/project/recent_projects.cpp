#include "source/program/project/recent_projects.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <system_error>
#include <utility>

#include "runtime/process_paths.h"
#include "source/program/bar_layout.h"
#include "source/program/project/project_selection.h"
#include "source/program/request_flags.h"
#include "window/menus.h"
#include "window/user_settings.h"

namespace kelm {
namespace {

constexpr char kSettingsKey[] = "recentProjects";
constexpr std::size_t kShownLength = 60;

std::vector<std::string> storedList() {
  std::vector<std::string> list;
  // Whatever the settings file holds: no empty names, no repeats, five at most.
  for (const std::string& directory : window::readSettingsList(kSettingsKey)) {
    if (directory.empty() || std::ranges::find(list, directory) != list.end()) continue;
    if (list.size() == kRecentProjectCount) break;
    list.push_back(directory);
  }
  return list;
}

void openRecentProject(std::size_t index);

// A menu item's callback carries no argument, so each place in the list has its own function.
template <std::size_t Index>
void recentProjectCommand(std::int32_t*) {
  openRecentProject(Index);
}

template <std::size_t... Indexes>
constexpr std::array<Command, sizeof...(Indexes)> recentCommands(std::index_sequence<Indexes...>) {
  return {recentProjectCommand<Indexes>...};
}

const std::array<Command, kRecentProjectCount>& recentProjectCommands() {
  static constexpr auto commands = recentCommands(std::make_index_sequence<kRecentProjectCount>{});
  return commands;
}

void keep(const std::vector<std::string>& list) {
  window::writeSettingsList(kSettingsKey, list);
  std::vector<RecentItem> items;
  for (std::size_t i = 0; i < list.size(); ++i)
    items.push_back({recentProjectItemText(i, list[i]), recentProjectCommands()[i]});
  showRecentProjectItems(items);
}

void openRecentProject(std::size_t index) {
  std::vector<std::string> list = storedList();
  if (index >= list.size()) return;
  const std::string directory = list[index];
  std::error_code error;
  if (!std::filesystem::is_directory(directory, error)) {
    list.erase(list.begin() + std::ptrdiff_t(index));
    keep(list);
    window::showMessageBox("KELM", "The project directory " + directory +
                                       " is no longer there.\n\nIt has been taken off the recent projects.",
                           window::BoxIcon::warning);
    return;
  }
  makeProjectCurrent(directory + "/");
}

}  // namespace

std::vector<std::string> withProjectFirst(std::vector<std::string> list, const std::string& directory) {
  std::erase(list, directory);
  list.insert(list.begin(), directory);
  if (list.size() > kRecentProjectCount) list.resize(kRecentProjectCount);
  return list;
}

std::string recentProjectItemText(std::size_t index, const std::string& directory) {
  std::string shown = directory;
  if (shown.size() > kShownLength) {
    // Cut between characters, never inside one.
    auto continuation = [&](std::size_t at) { return (static_cast<unsigned char>(shown[at]) & 0xC0) == 0x80; };
    std::size_t head = (kShownLength - 3) / 2, tail = shown.size() - head;
    while (head > 0 && continuation(head)) --head;
    while (tail < shown.size() && continuation(tail)) ++tail;
    shown = shown.substr(0, head) + "..." + shown.substr(tail);
  }
  std::string text = "&" + std::to_string(index + 1) + " ";
  for (char c : shown) text += c == '&' ? std::string("&&") : std::string(1, c);
  return text;
}

void showRecentProjects() { keep(storedList()); }

void rememberCurrentProject() {
  const std::string directory = currentDirectory();
  if (!directory.empty()) keep(withProjectFirst(storedList(), directory));
}

void makeProjectCurrent(std::string_view chosenFile) {
  // The directory changes before the driver is asked to leave, so that it reloads the new
  // project and never the old one.
  if (enterProjectDirectoryOf(chosenFile)) rememberCurrentProject();
  leaveRequested.store(1);
}

}  // namespace kelm
