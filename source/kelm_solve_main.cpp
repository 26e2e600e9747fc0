#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>

#include "source/solve_cli/project_runs.h"
#include "source/solve_cli/solve_options.h"

using namespace kelm;

namespace {

// The list file whole, or standard input for "-"; false when it cannot be read.
bool readListFile(const std::string& name, std::string& text) {
  if (name == "-") {
    text.assign(std::istreambuf_iterator<char>(std::cin), {});
    return !std::cin.bad();
  }
  std::ifstream in(name, std::ios::binary);
  if (!in) return false;
  text.assign(std::istreambuf_iterator<char>(in), {});
  return !in.bad();
}

}  // namespace

int main(int argc, char** argv) {
  // A closed pipe (kelm-solve ... | head) must not stop the solves half way through their files.
  std::signal(SIGPIPE, SIG_IGN);
  solvecli::CommandLine line = solvecli::parseCommandLine(argc, argv);
  switch (line.request) {
    case solvecli::Request::kHelp:
      std::fputs(solvecli::helpText().c_str(), stdout);
      return 0;
    case solvecli::Request::kVersion:
      std::fputs(solvecli::versionText().c_str(), stdout);
      return 0;
    case solvecli::Request::kUsageError:
      std::fprintf(stderr, "kelm-solve: %s (see kelm-solve --help)\n", line.error.c_str());
      return 2;
    case solvecli::Request::kSolve:
      break;
  }
  solvecli::SolveOptions& o = line.options;
  if (o.projectsFrom) {
    std::string text, error;
    if (!readListFile(*o.projectsFrom, text)) {
      std::fprintf(stderr, "kelm-solve: --projects-from: %s cannot be read\n", o.projectsFrom->c_str());
      return 2;
    }
    if (!solvecli::readProjectList(text, o.nullSeparated, o.projects, error)) {
      std::fprintf(stderr, "kelm-solve: --projects-from %s: %s\n", o.projectsFrom->c_str(), error.c_str());
      return 2;
    }
  }
  const std::vector<std::string> projects = solvecli::shardOf(o.projects, o.shard, o.shards);
  // An empty share is no fault: a scan may have fewer projects than array tasks.
  if (projects.empty()) std::fprintf(stderr, "kelm-solve: no project to run\n");
  return solvecli::runProjects(projects, o, {});
}
