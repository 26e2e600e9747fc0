#include "source/program/batch/batch_run.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "records/formatted.h"
#include "runtime/process_paths.h"
#include "runtime/text.h"
#include "source/program/gun/gun_commands.h"
#include "source/program/request_flags.h"
#include "window/frame.h"

namespace kelm {

Array1<std::string, kMaxBatchProjects> projectList;
std::int32_t projectCount = 0;

void runBatch() {
  const int count = std::clamp(projectCount, 0, kMaxBatchProjects);
  for (int k = 1; k <= count; ++k) {
    const std::string& directory = projectList(k);
    // Going on in whichever directory is current would report, and later show, another project.
    if (::chdir(directory.c_str()) != 0) {
      records::print(errno == EACCES ? "Project directory cannot be entered: " : "Project directory not found: ",
                     printableName(directory));
      continue;
    }
    const std::string current = currentDirectory();
    records::print("Loading project from ", printable(current));
    window::setWindowTitle(window::windowHandle(window::kFrameUnit), "KELM: " + printable(current));
    runBuildNetAndSolve();
  }
  batchRequested.store(0);
}

}  // namespace kelm
