#pragma once
// Build net and Solve over a list of projects, several at once, for kelm-solve.

#include <cstdio>
#include <string>
#include <vector>

#include "source/solve_cli/solve_options.h"

namespace kelm::solvecli {

// Writes geom.dat from the geom.cod of a project directory, as the Build net command does;
// the summary names the outline points. Nothing is written when geom.cod is wrong.
bool buildNet(const std::string& directory, std::string& summary, std::string& failure);

// Where the lines go: progress (every line of every project, prefixed by its name) and one
// summary line per project, in the order the projects were given, whatever finishes first.
struct RunOutput {
  std::FILE* progress = stderr;
  std::FILE* summaries = stdout;
};

// Runs the options' steps on each project; exit status 0 when every project went well, 1 when
// any failed. A project named twice is run once.
int runProjects(const std::vector<std::string>& projects, const SolveOptions& options, const RunOutput& output);

}  // namespace kelm::solvecli
