#pragma once
// Frame, child windows bound to units, active window, status bar and window placement.
// Every function may be called from the program thread or from a callback on the message thread.

#include <cstdint>
#include <span>
#include <string_view>

namespace kelm::window {

using WindowHandle = std::intptr_t;  // -1: the unit has no window; 0: the layer is not running

// The unit value that stands for the frame window (0x80000000 as a 32-bit integer).
inline constexpr std::int32_t kFrameUnit = INT32_MIN;
inline constexpr std::int32_t kOutputUnit = 0;

WindowHandle windowHandle(std::int32_t unit);

// 1 when the unit's window exists and is not closed, else 0. Per thread; no change of z-order.
int setActiveWindow(std::int32_t unit);
std::int32_t getActiveWindow();
// 0, or -1 when the unit has no window: makes it active, brings it to the front with focus.
int focusWindow(std::int32_t unit);

// A 16-bit field of -1 asks the layer to choose; 0 and values below -1 are invalid.
struct WindowConfig {
  std::int16_t width = -1;  // pixels
  std::int16_t height = -1;
  std::int16_t textColumns = -1;
  std::int16_t textRows = -1;
  std::int16_t colourCount = -1;
  std::int32_t fontSize = -1;
  char title[80] = {};
  std::int16_t bitsPerPixel = -1;
  std::int16_t reserved[4] = {};
};
int getWindowConfig(WindowConfig& config);        // of the active window; 1 on success
int setWindowConfig(const WindowConfig& config);  // 1 on success; invalid values refused
int clearScreen(std::int32_t area);               // 0: the whole window

// Mouse event bits.
enum MouseEvent : std::int32_t {
  kLeftDown = 1, kLeftUp = 2, kLeftDoubleClick = 4,
  kRightDown = 8, kRightUp = 16, kRightDoubleClick = 32, kMouseMove = 64,
};
using MouseCallback = void (*)(std::int32_t* unit, std::int32_t* event, std::int32_t* keyState,
                               std::int32_t* x, std::int32_t* y);
// 0: nothing was registered before for these bits, 1: replaced, -1: no bit, -2: no window.
int registerMouseCallback(std::int32_t unit, std::int32_t eventBits, MouseCallback callback);

// The Left and Right arrow keys in a unit's window, while it has the focus: step is -1 or +1,
// times 10 with Shift. Not called while the program is paused. -2: the unit has no window.
using ArrowKeyCallback = void (*)(std::int32_t unit, std::int32_t step);
int registerArrowKeyCallback(std::int32_t unit, ArrowKeyCallback callback);

// A view window's new size in pixels, once the user or Tile or Cascade changed it after the
// callback was registered; called on the message thread. 0, or -2 when the unit has no window.
using ResizeCallback = void (*)(std::int32_t unit, std::int32_t width, std::int32_t height);
int registerResizeCallback(std::int32_t unit, ResizeCallback callback);

// Zoom gestures in a unit's window, while it is the active one and the program is not paused:
// the wheel (notches, positive when turned away from the user), a rectangle dragged with the
// right button (its corners in pixels, drawn as a rubber band while dragged), the Home key, and
// Backspace or Alt+Left for the zoom before. The + and - keys turn the wheel a notch.
struct ZoomCallbacks {
  void (*wheel)(std::int32_t unit, std::int32_t x, std::int32_t y, std::int32_t notches) = nullptr;
  void (*rectangle)(std::int32_t unit, std::int32_t x1, std::int32_t y1, std::int32_t x2,
                    std::int32_t y2) = nullptr;
  void (*home)(std::int32_t unit) = nullptr;
  void (*back)(std::int32_t unit) = nullptr;
};
// 0, or -2 when the unit has no window.
int registerZoomCallbacks(std::int32_t unit, const ZoomCallbacks& callbacks);

// Run-state messages: 5 is the Running message ("Running", "Paused", "Finished" built in).
inline constexpr int kRunningMessage = 5;
int setStatusMessage(std::string_view text, int messageNumber);
// A field of the status bar beside the run state's, for a note the program keeps current.
void setStatusNote(std::string_view text);
// The status bar's read-out field: what lies under the pointer in a view.
void setStatusReadout(std::string_view text);
// Holds the calling program thread while the user has paused the program (Ctrl+S), so that a
// long command such as Solve stops between its steps; returns at once otherwise.
void waitWhilePaused();

// Platform-style operations on handles.
enum class ShowCommand { normal, minimize, maximize, restore };
enum class ZOrder { top, bottom };
struct Rect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};
void setWindowTitle(WindowHandle window, std::string_view title);
void setWindowPlacement(WindowHandle window, int x, int y, int width, int height, ZOrder order,
                        bool activate);
void showWindow(WindowHandle window, ShowCommand command);
// Of the frame: the area that holds the children, less what the row of minimised windows
// needs beyond 16 pixels. Maximising the frame from the program thread returns once the
// window manager has maximised it.
Rect clientRect(WindowHandle window);

}  // namespace kelm::window
