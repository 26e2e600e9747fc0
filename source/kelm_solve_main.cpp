#include <csignal>
#include <cstdio>

#include "source/command_line_tools/option_values.h"
#include "source/solve_cli/project_runs.h"
#include "source/solve_cli/solve_options.h"

using namespace kelm;

int main(int argc, char** argv) {
  // A closed pipe (kelm-solve ... | head) must not stop the solves half way through their files.
  std::signal(SIGPIPE, SIG_IGN);
  solvecli::CommandLine line = solvecli::parseCommandLine(argc, argv);
  switch (line.request) {
    case solvecli::Request::kHelp:
      return cli::answer(solvecli::helpText());
    case solvecli::Request::kVersion:
      return cli::answer(solvecli::versionText());
    case solvecli::Request::kUsageError:
      return cli::usageError("kelm-solve", line.error);
    case solvecli::Request::kSolve:
      break;
  }
  std::vector<std::string> projects;
  try {
    projects = solvecli::projectsToRun(line.options);
  } catch (const cli::UsageError& e) {
    return cli::usageError("kelm-solve", e.what());
  }
  // An empty share is no fault: a scan may have fewer projects than array tasks.
  if (projects.empty()) std::fprintf(stderr, "kelm-solve: no project to run\n");
  return solvecli::runProjects(projects, line.options, {});
}
