#include "source/program/batch/batch_run.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "records/formatted.h"
#include "runtime/process_paths.h"
#include "runtime/text.h"
#include "source/program/gun/command_status.h"
#include "source/program/gun/gun_commands.h"
#include "window/command_progress.h"
#include "source/program/request_flags.h"
#include "window/frame.h"

namespace kelm {

Array1<std::string, kMaxBatchProjects> projectList;
std::int32_t projectCount = 0;

CommandResult runBatch() {
  const int count = std::clamp(projectCount, 0, kMaxBatchProjects);
  BatchCount counted;
  for (int k = 1; k <= count; ++k) {
    if (stopRequested.load() != 0) {
      counted.notRun = count - k + 1;
      break;
    }
    window::showStatusProgress(k - 1, count, "Batch: project " + std::to_string(k) + " of " + std::to_string(count));
    const std::string& directory = projectList(k);
    // Going on in whichever directory is current would report, and later show, another project.
    if (::chdir(directory.c_str()) != 0) {
      records::print(errno == EACCES ? "Project directory cannot be entered: " : "Project directory not found: ",
                     printableName(directory));
      ++counted.failed;
      continue;
    }
    const std::string current = currentDirectory();
    records::print("Loading project from ", printable(current));
    window::setWindowTitle(window::windowHandle(window::kFrameUnit), "KELM: " + printable(current));
    switch (runBuildNetAndSolve().end) {
      case CommandEnd::kDone: ++counted.solved; break;
      case CommandEnd::kNotConverged: ++counted.notConverged; break;
      case CommandEnd::kFailed: ++counted.failed; break;
      case CommandEnd::kStopped: ++counted.notRun; break;
    }
  }
  const std::string summary = batchText(counted);
  records::print(summary);
  batchRequested.store(0);
  return {counted.failed > 0 ? CommandEnd::kFailed : CommandEnd::kDone, summary};
}

}  // namespace kelm
