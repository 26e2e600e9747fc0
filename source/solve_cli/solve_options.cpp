#include "source/solve_cli/solve_options.h"

#include <algorithm>
#include <cmath>

#include "source/command_line_tools/option_table.h"
#include "source/command_line_tools/option_values.h"
#include "source/command_line_tools/project_list.h"
#include "source/solver/geometry/gun_description.h"
#include "source/solver/geometry/solver_input.h"

namespace kelm::solvecli {
namespace {

// --screens Z1,Z2,...: positions in mm, comma-separated.
std::vector<double> screensOf(const std::string& text) {
  std::vector<double> screens;
  std::size_t at = 0;
  while (at <= text.size()) {
    const std::size_t comma = std::min(text.find(',', at), text.size());
    const std::optional<double> z = cli::realOf(std::string_view(text).substr(at, comma - at));
    if (!z || !(std::fabs(*z) <= solver::kMaxLength_mm))
      throw cli::UsageError("--screens needs positions in mm separated by commas, not " + cli::quoted(text));
    if (static_cast<int>(screens.size()) >= solver::kMaxScreens)
      throw cli::UsageError("--screens takes at most " + std::to_string(solver::kMaxScreens) + " positions");
    screens.push_back(*z);
    at = comma + 1;
  }
  return screens;
}

}  // namespace

CommandLine parseCommandLine(int argc, const char* const* argv) {
  return cli::readCommandLine<CommandLine>(argc, argv, [&](CommandLine& line) {
    SolveOptions& o = line.options;
    cli::OptionTable table(o.projects);
    table.flag("--build-net", [&o] { o.buildNet = true; })
        .flag("--solve", [&o] { o.solve = true; })
        .flag("--openpmd", [&o] { o.openPMD = true; })
        .value("--screens", [&o](const std::string&, const std::string& v) { o.screens_mm = screensOf(v); })
        .projectList(o.projectsFrom, o.nullSeparated)
        .jobs(o.jobs)
        .shard(o.shard, o.shards);
    table.parse(argc, argv);
    if (o.projects.empty() && !o.projectsFrom) throw cli::UsageError("no PROJECT given");
  });
}

std::vector<std::string> projectsToRun(const SolveOptions& options) {
  std::vector<std::string> names = options.projects;
  if (options.projectsFrom) {
    for (std::string& name : cli::readProjectList(*options.projectsFrom, options.nullSeparated))
      names.push_back(std::move(name));
  }
  std::vector<std::string> share;
  for (std::size_t i : cli::shareOf(names.size(), {options.shard, options.shards})) share.push_back(names[i]);
  return share;
}

std::string versionText() { return std::string("kelm-solve ") + KELM_VERSION + "\n"; }

}  // namespace kelm::solvecli
