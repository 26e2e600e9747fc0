#include "source/klplot/klplotdemo.h"

#include <chrono>
#include <string>
#include <thread>

#include "records/formatted.h"
#include "runtime/process_paths.h"
#include "runtime/text.h"
#include "source/klplot/load_status.h"
#include "source/klplot/project_readers.h"
#include "source/klplot/view_windows.h"
#include "source/menu_bar.h"
#include "source/request_flags.h"
#include "window/frame.h"

namespace kelm::klplot {

namespace {

constexpr auto kIdlePass = std::chrono::milliseconds(50);

}  // namespace

void loadAndDisplay() {
  window::setStatusMessage("Running", window::kRunningMessage);
  const std::string projectDir(trimRight(currentDirectory()));
  records::print("Loading project from ", projectDir);
  window::setWindowTitle(window::windowHandle(window::kFrameUnit), "KELMDEMO: " + projectDir);

  {
    // The Output window is minimised while the views are up: the status bar keeps what it said.
    LoadStatusWatch watch;
    loadProjectFiles();
    window::setStatusNote(watch.summary());
  }

  openViewWindows();
  phasePlaneRequested = 1;
  markerRedrawRequested = 0;
  beamRedrawRequested = 0;
  leaveRequested = 0;
  window::setStatusMessage("Idle", window::kRunningMessage);
  enableBusyCommands();

  while (leaveRequested.load() == 0) {
    serveViewRequests();
    std::this_thread::sleep_for(kIdlePass);
  }

  greyBusyCommands();
  window::setStatusMessage("Running", window::kRunningMessage);
  closeViewWindows();
}

}  // namespace kelm::klplot
