#pragma once
// A scan on a Slurm cluster: a job array whose tasks solve shares of the points, and a merge
// job that runs once every task has ended, however it ended.

#include <string>
#include <vector>

namespace kelm::scan {

struct SlurmScripts {
  std::string array, merge;  // the batch scripts' text
  int tasks = 0;
};

// One task per point, at most maxTasks (Slurm's usual array limit), at most running at once.
// scanProgram and outdir must be absolute.
// summary: the merge's --z and --range.
SlurmScripts slurmScripts(const std::string& scanProgram, const std::string& outdir, std::size_t points,
                          int running, const std::vector<std::string>& summary = {}, int maxTasks = 1000);

// False for an output folder whose name Slurm cannot carry into the jobs' output files.
bool usableInScript(const std::string& path, std::string& error);

// From squeue's "ID|STATE|REASON" lines, the jobs that ended before they ran or wait for
// something that will not come; empty when none.
std::string jobsThatCannotStart(const std::string& squeueAnswer);

// The job id in sbatch --parsable's answer "ID" or "ID;CLUSTER", or empty.
std::string parsedJobId(const std::string& answer);

// Writes the scripts into outdir/slurm and, unless dryRun, submits the array and then the
// merge after it, and looks once at their state; says what it did on standard error. False,
// with why, when a job cannot start.
bool submitScan(const std::string& scanProgram, const std::string& outdir, std::size_t points, int running,
                const std::vector<std::string>& summary, bool dryRun, std::string& error);

}  // namespace kelm::scan
