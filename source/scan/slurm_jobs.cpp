#include "source/scan/slurm_jobs.h"

#include <algorithm>
#include <cstdio>

#include "runtime/whole_file.h"
#include "source/scan/point_runs.h"
#include "source/scan/scan_points.h"

namespace kelm::scan {
namespace {

std::string quoted(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string sbatch(const std::string& script, const std::string& dependency, const std::string& outdir,
                   std::string& error) {
  std::vector<std::string> argv{"sbatch", "--parsable"};
  if (!dependency.empty()) argv.push_back("--dependency=afterok:" + dependency);
  argv.push_back(script);
  const std::string answer = outdir + "/slurm/sbatch.out";
  const int status = runProgram(argv, answer, error);
  std::string text;
  readFile(answer, text);
  const std::string id = parsedJobId(text);
  if (status < 0) return "";
  if (status != 0 || id.empty()) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    error = "sbatch " + script + " failed: " + (text.empty() ? "exit status " + std::to_string(status) : text);
    return "";
  }
  return id;
}

}  // namespace

SlurmScripts slurmScripts(const std::string& scanProgram, const std::string& outdir, std::size_t points,
                          int running, int maxTasks) {
  SlurmScripts s;
  s.tasks = int(std::min<std::size_t>(points, std::size_t(std::max(1, maxTasks))));
  const int limit = std::clamp(running, 1, s.tasks);
  s.array = "#!/bin/sh\n#SBATCH --job-name=kelm-scan\n#SBATCH --array=1-" + std::to_string(s.tasks) + "%" +
            std::to_string(limit) + "\n#SBATCH --ntasks=1\n#SBATCH --cpus-per-task=1\n#SBATCH --output=" + outdir +
            "/slurm/task-%A_%a.out\n# Task K solves the points K, K + " + std::to_string(s.tasks) +
            ", ... of the manifest.\nexec " + quoted(scanProgram) + " --shard \"$((SLURM_ARRAY_TASK_ID - 1))/" +
            std::to_string(s.tasks) + "\" " + quoted(outdir) + "\n";
  s.merge = "#!/bin/sh\n#SBATCH --job-name=kelm-scan-merge\n#SBATCH --ntasks=1\n#SBATCH --output=" + outdir +
            "/slurm/merge-%j.out\nexec " + quoted(scanProgram) + " --merge " + quoted(outdir) + "\n";
  return s;
}

bool usableInScript(const std::string& path, std::string& error) {
  if (path.find_first_of("\n\r%") != path.npos)
    return (error = "a path with a line break or % cannot go into a batch script: " + path, false);
  return true;
}

std::string parsedJobId(const std::string& answer) {
  std::size_t end = 0;
  while (end < answer.size() && answer[end] >= '0' && answer[end] <= '9') ++end;
  const bool ended = end == answer.size() || answer[end] == ';' || answer[end] == '\n' || answer[end] == '\r';
  return end > 0 && ended ? answer.substr(0, end) : "";
}

bool submitScan(const std::string& scanProgram, const std::string& outdir, std::size_t points, int running,
                bool dryRun, std::string& error) {
  if (!usableInScript(scanProgram, error) || !usableInScript(outdir, error)) return false;
  const SlurmScripts s = slurmScripts(scanProgram, outdir, points, running);
  const std::string array = outdir + "/slurm/scan-array.sbatch", merge = outdir + "/slurm/scan-merge.sbatch";
  if (!runtime::makeDirectory(outdir + "/slurm", error) || !runtime::writeWholeFile(array, s.array, error) ||
      !runtime::writeWholeFile(merge, s.merge, error))
    return false;
  if (dryRun) {
    std::fprintf(stderr, "kelm-scan: wrote %s and %s; submit with\n  sbatch %s\n  sbatch --dependency=afterok:ID %s\n",
                 array.c_str(), merge.c_str(), array.c_str(), merge.c_str());
    return true;
  }
  const std::string arrayId = sbatch(array, "", outdir, error);
  if (arrayId.empty()) return false;
  const std::string mergeId = sbatch(merge, arrayId, outdir, error);
  if (mergeId.empty()) return (error += " (job array " + arrayId + " is submitted)", false);
  std::fprintf(stderr, "kelm-scan: submitted job array %s (%d tasks) and merge job %s\n", arrayId.c_str(), s.tasks,
               mergeId.c_str());
  std::printf("%s %s\n", arrayId.c_str(), mergeId.c_str());
  return true;
}

}  // namespace kelm::scan
