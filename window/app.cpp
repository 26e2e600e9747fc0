#include "window/app.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QApplication>
#include <QIcon>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "records/status.h"
#include "records/window_port.h"
#include "runtime/fp_traps.h"
#include "runtime/process_paths.h"
#include "window/frame_window.h"
#include "window/gui_thread.h"
#include "window/layer.h"
#include "window/message_boxes.h"
#include "window/output_log.h"
#include "window/user_settings.h"

namespace kelm::window {

namespace {

constexpr char kDesktopEntryId[] = "org.example.kelm";

void reportFloatingPointFault(const char* what) {
  records::windowPort().runtimeError(200, std::string("run-time error 200: ") + what);
}

void programFinished() {
  Layer& l = layer();
  l.runState = kFinished;
  l.menus.greyProgramItems();
  l.frame->renderMenus();
  l.frame->showRunState();
  if (askEndOfProgram(0)) l.frame->close();
}

void runProgramThread(MainProgram mainProgram) {
  // One step below the message thread, so that the windows stay responsive while it computes.
  const auto thread = static_cast<id_t>(::syscall(SYS_gettid));
  errno = 0;
  const int current = ::getpriority(PRIO_PROCESS, thread);
  if (errno == 0) ::setpriority(PRIO_PROCESS, thread, current + 1);
  enableFloatingPointTraps(reportFloatingPointFault);
  mainProgram();
  postToGui(programFinished);
}

}  // namespace

int runWindowLayer(int argc, char** argv, MainProgram mainProgram, const char* logVariable,
                   const PrintWords& printWords) {
  Layer& l = layer();
  l.printWords = printWords;
  l.programName = argc > 0 ? std::filesystem::path(argv[0]).stem().string() : "kelm";
  // A log or standard error whose reader went away is a failed write, not the end of KELM.
  std::signal(SIGPIPE, SIG_IGN);
  l.startDirectory = currentDirectory();
  startOutputLog(l.programName, logVariable);

  // Qt takes its own options (-platform, -style, ...) out of what comes before "--"; what
  // follows "--" is the program's, even a path that looks like one of Qt's options.
  int toolkitCount = 0;
  while (toolkitCount < argc && std::string_view(argv[toolkitCount]) != "--") ++toolkitCount;
  const std::vector<std::string> afterSeparator(argv + std::min(toolkitCount + 1, argc), argv + argc);

  QApplication app(toolkitCount, argv);
  for (int i = 0; i < toolkitCount; ++i) l.arguments.emplace_back(argv[i]);
  for (std::size_t i = 1; i < l.arguments.size(); ++i) {
    if (l.arguments[i].starts_with('-')) {
      std::fprintf(stderr, "%s: unknown option %s (a project path that begins with \"-\" goes after --)\n",
                   l.programName.c_str(), l.arguments[i].c_str());
      return 2;
    }
  }
  l.arguments.insert(l.arguments.end(), afterSeparator.begin(), afterSeparator.end());
  QApplication::setApplicationName(QString::fromStdString(l.programName));
  // Lets the desktop match the windows to the installed menu entry and show its icon.
  QGuiApplication::setDesktopFileName(kDesktopEntryId);
  QApplication::setWindowIcon(QIcon::fromTheme(kDesktopEntryId, QIcon(":/kelm/org.example.kelm.png")));
  createLayerWindows();
  restoreFrameLayout();
  l.frame->show();

  std::thread(runProgramThread, mainProgram).detach();
  const int code = QApplication::exec();
  // The program thread may be blocked or asleep; ending the process does not wait for it.
  std::fflush(nullptr);
  std::_Exit(code);
}

bool commandArgument(int index, std::string& value) {
  const auto& arguments = layer().arguments;
  if (index < 0 || static_cast<std::size_t>(index) >= arguments.size()) return false;
  value = arguments[static_cast<std::size_t>(index)];
  return true;
}

std::string programName() { return layer().programName; }

}  // namespace kelm::window
