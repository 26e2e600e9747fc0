#pragma once
// Solving a scan's points with kelm-solve, several at once, each in its own process so that
// one point that fails, however badly, leaves the others alone.

#include <cstdio>
#include <string>
#include <vector>

namespace kelm::scan {

// A program beside this one (kelm-solve, kelm-export), else its bare name for the PATH.
std::string siblingProgram(const std::string& name);

// Runs argv with standard output and error into logFile (or inherited when empty); the exit
// status, or 128 + the signal, or -1 with error when it could not start.
int runProgram(const std::vector<std::string>& argv, const std::string& logFile, std::string& error);

struct PointRuns {
  std::size_t solved = 0, failed = 0, unchanged = 0;
};

// Solves, jobs at a time, each of the named points of outdir that changed, failed or never
// finished, each solve on threads threads; the rest are left as they are. A line per finished
// point goes to progress.
PointRuns solvePoints(const std::string& outdir, const std::vector<std::string>& points, int jobs,
                      std::FILE* progress, int threads = 1);

}  // namespace kelm::scan
