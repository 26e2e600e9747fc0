#pragma once
// Build net and Solve over a list of projects, several at once, for kelm-solve.

#include <cstdio>
#include <string>
#include <vector>

#include "source/solve_cli/solve_options.h"

namespace kelm::solvecli {

// geom.dat's text from the geom.cod of a project directory, as the Build net command makes it;
// the summary names the outline points. Nothing is written here.
bool buildNet(const std::string& directory, std::string& geometryDat, std::string& summary, std::string& failure);

// Where the lines go: progress (every line of every project, prefixed by its name) and one
// summary line per project, in the order the projects were given, whatever finishes first.
struct RunOutput {
  std::FILE* progress = stderr;
  std::FILE* summaries = stdout;
};

// Runs the options' steps on each project, each under its lock; exit status 0 when every project
// went well, 1 when any failed, else 3 when any solve did not converge (its results are written).
// A project named twice is run once.
int runProjects(const std::vector<std::string>& projects, const SolveOptions& options, const RunOutput& output);

}  // namespace kelm::solvecli
