#include "source/solve_cli/solve_options.h"

#include "source/command_line_tools/option_table.h"
#include "source/command_line_tools/option_values.h"
#include "source/command_line_tools/project_list.h"

namespace kelm::solvecli {

CommandLine parseCommandLine(int argc, const char* const* argv) {
  return cli::readCommandLine<CommandLine>(argc, argv, [&](CommandLine& line) {
    SolveOptions& o = line.options;
    cli::OptionTable table(o.projects);
    table.flag("--build-net", [&o] { o.buildNet = true; })
        .flag("--solve", [&o] { o.solve = true; })
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
