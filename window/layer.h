#pragma once
// The window layer's own state, shared by its files. Internal to window/.

#include <QMdiSubWindow>
#include <QPointer>

#include <array>
#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "window/child_window.h"
#include "window/menu_model.h"
#include "window/menus.h"
#include "window/printing.h"
#include "window/output_window.h"

namespace kelm::window {

class FrameWindow;

enum RunState : int { kRunning = 0, kPaused = 1, kFinished = 2 };

// One window bound to a unit; child is null for the "Output" window. Guarded pointers: a
// window that went away reads as null rather than dangling.
struct UnitWindow {
  QPointer<QMdiSubWindow> frame;
  QPointer<ChildWindow> child;
};

struct Layer {
  FrameWindow* frame = nullptr;
  QPointer<OutputWindow> output;
  MenuBarModel menus;  // message thread only

  std::mutex lock;  // guards windows and stateMessages
  std::map<int, UnitWindow> windows;
  std::array<std::string, 3> stateMessages = {"Running", "Paused", "Finished"};

  std::atomic<int> runState{kRunning};
  std::string programName;
  std::vector<std::string> arguments;
  // Current when the program started; relative names from the environment are taken from
  // here, not from the project directory made current since. Empty outside the program.
  std::string startDirectory;
  std::string aboutText;
  SaveRefusal saveRefusal = nullptr;  // message thread only
  PrintWords printWords;  // set before the message loop starts
};

Layer& layer();

// The window of a unit, or an empty entry (lock taken inside).
UnitWindow findUnitWindow(int unit);

// Shows the layer's own failure box (codes 4, 5, 6).
void reportLayerError(int code);

}  // namespace kelm::window
