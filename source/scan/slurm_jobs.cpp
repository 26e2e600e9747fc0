#include "source/scan/slurm_jobs.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

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

// A path inside a double-quoted #SBATCH argument. sbatch splits a directive at blanks outside
// quotes, takes a backslash as escaping the next character and an unquoted # as the start of a
// comment; in an output file name it reads %% as %. (A backslash in the name would turn off
// the %A and %a that tell the tasks' files apart, so usableInScript refuses it.)
std::string directiveText(const std::string& path) {
  std::string out;
  for (const char c : path) {
    if (c == '"' || c == '\\' || c == '#') out += '\\';
    out += c == '%' ? std::string("%%") : std::string(1, c);
  }
  return out;
}

std::string withoutLineEnd(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

// The program's answer, from its standard output and error; false when it failed.
bool ask(const std::vector<std::string>& argv, const std::string& outdir, std::string& answer, std::string& error) {
  const std::string file = outdir + "/slurm/" + argv[0] + ".out";
  const int status = runProgram(argv, file, error);
  readFile(file, answer);
  if (status < 0) return false;
  if (status == 0) return true;
  const std::string said = withoutLineEnd(answer);
  error = argv[0] + " failed: " + (said.empty() ? "exit status " + std::to_string(status) : said);
  return false;
}

std::string sbatch(const std::string& script, const std::string& dependency, const std::string& outdir,
                   std::string& error) {
  std::vector<std::string> argv{"sbatch", "--parsable"};
  // afterany: a task killed at its time limit must still be followed by the merge, which names
  // the points left unsolved.
  if (!dependency.empty()) argv.push_back("--dependency=afterany:" + dependency);
  argv.push_back(script);
  std::string text;
  if (!ask(argv, outdir, text, error)) return (error = script + ": " + error, "");
  const std::string id = parsedJobId(text);
  if (id.empty()) error = script + ": sbatch gave no job id: " + withoutLineEnd(text);
  return id;
}

}  // namespace

SlurmScripts slurmScripts(const std::string& scanProgram, const std::string& outdir, std::size_t points,
                          int running, const std::vector<std::string>& summary, int maxTasks) {
  std::string settings;
  for (const std::string& word : summary) settings += " " + quoted(word);
  SlurmScripts s;
  s.tasks = int(std::min<std::size_t>(points, std::size_t(std::max(1, maxTasks))));
  const int limit = std::clamp(running, 1, s.tasks);
  s.array = "#!/bin/sh\n#SBATCH --job-name=kelm-scan\n#SBATCH --array=1-" + std::to_string(s.tasks) + "%" +
            std::to_string(limit) + "\n#SBATCH --ntasks=1\n#SBATCH --cpus-per-task=1\n#SBATCH --output=\"" +
            directiveText(outdir) + "/slurm/task-%A_%a.out\"\n# Task K solves the points K, K + " +
            std::to_string(s.tasks) + ", ... of the manifest.\nexec " + quoted(scanProgram) +
            " --shard \"$((SLURM_ARRAY_TASK_ID - 1))/" + std::to_string(s.tasks) + "\" " + quoted(outdir) + "\n";
  s.merge = "#!/bin/sh\n#SBATCH --job-name=kelm-scan-merge\n#SBATCH --ntasks=1\n#SBATCH --output=\"" +
            directiveText(outdir) + "/slurm/merge-%j.out\"\nexec " + quoted(scanProgram) + " --merge" +
            settings + " " + quoted(outdir) + "\n";
  return s;
}

bool usableInScript(const std::string& path, std::string& error) {
  if (path.find_first_of("\n\r\\") != path.npos)
    return (error = "Slurm cannot name the jobs' output files in a folder whose name holds a backslash or a "
                    "line break: " + path,
            false);
  return true;
}

std::string jobsThatCannotStart(const std::string& squeueAnswer) {
  // States that end a job before it ran, and reasons that keep a pending one waiting for ever.
  static constexpr std::string_view kEnded[] = {"FAILED", "BOOT_FAIL", "NODE_FAIL", "CANCELLED", "DEADLINE"};
  static constexpr std::string_view kStuck[] = {"launch failed", "DependencyNeverSatisfied", "BadConstraints",
                                                "PartitionConfig", "InvalidAccount", "InvalidQOS", "JobHeld"};
  std::string found;
  for (std::size_t start = 0; start < squeueAnswer.size();) {
    std::size_t end = squeueAnswer.find('\n', start);
    if (end == squeueAnswer.npos) end = squeueAnswer.size();
    const std::string line = squeueAnswer.substr(start, end - start);
    start = end + 1;
    const std::size_t bar = line.find('|'), reasonAt = line.find('|', bar == line.npos ? 0 : bar + 1);
    if (reasonAt == line.npos) continue;
    const std::string state = line.substr(bar + 1, reasonAt - bar - 1), reason = line.substr(reasonAt + 1);
    const bool ended = std::find(std::begin(kEnded), std::end(kEnded), state) != std::end(kEnded);
    const bool stuck = std::any_of(std::begin(kStuck), std::end(kStuck),
                                   [&](std::string_view r) { return reason.find(r) != reason.npos; });
    if (ended || stuck)
      found += (found.empty() ? "" : "; ") + withoutLineEnd("job " + line.substr(0, bar) + " " + state + " (" +
                                                            reason + ")");
  }
  return found;
}

std::string parsedJobId(const std::string& answer) {
  std::size_t end = 0;
  while (end < answer.size() && answer[end] >= '0' && answer[end] <= '9') ++end;
  const bool ended = end == answer.size() || answer[end] == ';' || answer[end] == '\n' || answer[end] == '\r';
  return end > 0 && ended ? answer.substr(0, end) : "";
}

bool submitScan(const std::string& scanProgram, const std::string& outdir, std::size_t points, int running,
                const std::vector<std::string>& summary, bool dryRun, std::string& error) {
  // The program's path goes only to the shell, which takes any quoted path.
  if (!usableInScript(outdir, error)) return false;
  const SlurmScripts s = slurmScripts(scanProgram, outdir, points, running, summary);
  const std::string array = outdir + "/slurm/scan-array.sbatch", merge = outdir + "/slurm/scan-merge.sbatch";
  if (!runtime::makeDirectory(outdir + "/slurm", error) || !runtime::writeWholeFile(array, s.array, error) ||
      !runtime::writeWholeFile(merge, s.merge, error))
    return false;
  if (dryRun) {
    std::fprintf(stderr, "kelm-scan: wrote %s and %s; submit with\n  sbatch %s\n  sbatch --dependency=afterany:ID %s\n",
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
  std::fflush(stdout);
  // One look at the queue, so that jobs Slurm will never start are not left for the user to find.
  std::string queue, why;
  if (!ask({"squeue", "--noheader", "--array", "--jobs=" + arrayId + "," + mergeId, "--format=%i|%T|%r"}, outdir,
           queue, why))
    return std::fprintf(stderr, "kelm-scan: the jobs' state is unknown: %s\n", why.c_str()), true;
  const std::string stuck = jobsThatCannotStart(queue);
  if (stuck.empty()) return true;
  return (error = "the jobs are submitted, but some cannot start: " + stuck + "; scancel " + arrayId + " " + mergeId +
                  " takes them away",
          false);
}

}  // namespace kelm::scan
