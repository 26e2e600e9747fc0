// The frame.h operations: handles, the per-thread active window, configuration, mouse
// registration, status messages and placement.
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QScreen>
#include <QStatusBar>

#include <algorithm>
#include <chrono>
#include <thread>
#include <cstring>

#include "window/child_window.h"
#include "window/frame.h"
#include "window/frame_window.h"
#include "window/gui_thread.h"
#include "window/layer.h"
#include "window/output_window.h"
#include "window/unit_port.h"

namespace kelm::window {

namespace {

thread_local std::int32_t activeUnit = kOutputUnit;

QWidget* widgetOf(WindowHandle handle) {
  Layer& l = layer();
  if (l.frame == nullptr || handle == 0 || handle == -1) return nullptr;
  if (handle == reinterpret_cast<WindowHandle>(l.frame)) return l.frame;
  std::lock_guard guard(l.lock);
  for (const auto& [unit, entry] : l.windows) {
    if (reinterpret_cast<WindowHandle>(entry.frame.data()) == handle) return entry.frame;
  }
  return nullptr;
}

bool validConfigField(int value) { return value == -1 || value > 0; }

// A window manager maximises the frame some time after it is asked, and until then its client
// area is not the one the views must be laid out in: the frame is maximised when its outer
// edges meet the screen's available area. A manager that leaves a margin is given two seconds.
// Without a display there is no manager, and the offscreen platform's frame never meets it.
void awaitMaximisedFrame() {
  if (onGuiThread() || QGuiApplication::platformName() == QLatin1String("offscreen")) return;
  for (int poll = 0; poll < 200; ++poll) {
    bool done = true;
    runOnGui([&] {
      FrameWindow* frame = layer().frame;
      if (frame == nullptr || frame->screen() == nullptr) return;
      done = frame->frameGeometry() == frame->screen()->availableGeometry();
    });
    if (done) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

// The minimised windows stand in a row at the bottom of the client area, as high as their
// title bars; the program keeps 16 pixels free for it, so a taller row takes the rest here.
int minimisedRowExcess() {
  int row = 0;
  for (QMdiSubWindow* sub : layer().frame->mdiArea()->subWindowList()) {
    if (sub->isMinimized() && sub->isVisible()) row = std::max(row, sub->height());
  }
  return std::max(0, row - 16);
}

// Sets something on the unit's view window on the GUI thread: what set returns, or -2 when the
// unit has no view window.
template <class Set>
int onUnitChild(std::int32_t unit, Set set) {
  int result = -2;
  runOnGui([&] {
    if (ChildWindow* child = findUnitWindow(unit).child) result = set(*child);
  });
  return result;
}

}  // namespace

void forgetActiveWindow(int unit) {
  if (activeUnit == unit) {
    activeUnit = kOutputUnit;
    makeSurfaceActive(nullptr);
  }
}

WindowHandle windowHandle(std::int32_t unit) {
  Layer& l = layer();
  if (l.frame == nullptr) return 0;
  if (unit == kFrameUnit) return reinterpret_cast<WindowHandle>(l.frame);
  const UnitWindow entry = findUnitWindow(unit);
  return entry.frame ? reinterpret_cast<WindowHandle>(entry.frame.data()) : -1;
}

int setActiveWindow(std::int32_t unit) {
  const UnitWindow entry = findUnitWindow(unit);
  if (!entry.frame) return 0;
  activeUnit = unit;
  makeSurfaceActive(entry.child != nullptr ? &entry.child->surface() : nullptr);
  return 1;
}

std::int32_t getActiveWindow() { return activeUnit; }

int focusWindow(std::int32_t unit) {
  if (setActiveWindow(unit) != 1) return -1;
  runOnGui([unit] {
    const UnitWindow entry = findUnitWindow(unit);
    if (!entry.frame) return;
    entry.frame->showNormal();
    layer().frame->mdiArea()->setActiveSubWindow(entry.frame);
    entry.frame->raise();
    entry.frame->widget()->setFocus();
  });
  return 0;
}

int getWindowConfig(WindowConfig& config) {
  const UnitWindow entry = findUnitWindow(activeUnit);
  if (!entry.frame) return 0;
  config = WindowConfig{};
  QSize size;
  if (entry.child != nullptr) {
    std::lock_guard guard(entry.child->surface().lock);
    size = entry.child->surface().image.size();
  } else {
    runOnGui([&] { size = entry.frame->widget()->size(); });
  }
  config.width = static_cast<std::int16_t>(std::min(size.width(), 32767));
  config.height = static_cast<std::int16_t>(std::min(size.height(), 32767));
  config.textColumns = static_cast<std::int16_t>(std::max(1, size.width() / 8));
  config.textRows = static_cast<std::int16_t>(std::max(1, size.height() / 16));
  config.colourCount = 256;  // the classic value for "more colours than a palette holds"
  config.fontSize = 0x0008000C;
  config.bitsPerPixel = 24;
  config.reserved[0] = -1;
  QString title;
  runOnGui([&] { title = entry.frame->windowTitle(); });
  const QByteArray latin = title.toLatin1();
  std::memcpy(config.title, latin.constData(), std::min(static_cast<std::size_t>(latin.size()), sizeof config.title - 1));
  return 1;
}

int setWindowConfig(const WindowConfig& config) {
  for (int field : {int{config.width}, int{config.height}, int{config.textColumns},
                    int{config.textRows}, int{config.colourCount}, int{config.bitsPerPixel}}) {
    if (!validConfigField(field)) return 0;
  }
  if (!validConfigField(config.fontSize)) return 0;
  const UnitWindow entry = findUnitWindow(activeUnit);
  if (!entry.frame) return 0;
  if (entry.child != nullptr && (config.width > 0 || config.height > 0)) {
    Surface& surface = entry.child->surface();
    {
      std::lock_guard guard(surface.lock);
      const QSize size(config.width > 0 ? config.width : surface.image.width(),
                       config.height > 0 ? config.height : surface.image.height());
      QImage resized(size, QImage::Format_RGB32);
      resized.fill(Qt::white);
      QPainter(&resized).drawImage(0, 0, surface.image);
      surface.image = std::move(resized);
    }
    surface.notifyChanged();
  }
  const std::size_t length = strnlen(config.title, sizeof config.title);
  if (length > 0) {
    const QString title = QString::fromLatin1(config.title, static_cast<qsizetype>(length)).trimmed();
    runOnGui([&] { entry.frame->setWindowTitle(title); });
  }
  return 1;
}

int clearScreen(std::int32_t) {
  const UnitWindow entry = findUnitWindow(activeUnit);
  if (!entry.frame) return 0;
  if (entry.child == nullptr) {
    runOnGui([] {
      if (layer().output != nullptr) layer().output->clear();
    });
    return 1;
  }
  Surface& surface = entry.child->surface();
  {
    std::lock_guard guard(surface.lock);
    const std::int32_t rgb = surface.backgroundColor;
    surface.image.fill(QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF));
  }
  surface.notifyChanged();
  return 1;
}

int registerMouseCallback(std::int32_t unit, std::int32_t eventBits, MouseCallback callback) {
  if ((eventBits & 0x7F) == 0) return -1;
  return onUnitChild(unit, [&](ChildWindow& child) {
    int replaced = 0;
    for (std::size_t slot = 0; slot < 7; ++slot) {
      if ((eventBits & (1 << slot)) == 0) continue;
      if (child.mouseCallbacks[slot] != nullptr) replaced = 1;
      child.mouseCallbacks[slot] = callback;
    }
    return replaced;
  });
}

int registerArrowKeyCallback(std::int32_t unit, ArrowKeyCallback callback) {
  return onUnitChild(unit, [&](ChildWindow& child) {
    child.arrowKeyCallback = callback;
    return 0;
  });
}

int registerResizeCallback(std::int32_t unit, ResizeCallback callback) {
  return onUnitChild(unit, [&](ChildWindow& child) {
    child.watchResizes(callback);
    return 0;
  });
}

int registerZoomCallbacks(std::int32_t unit, const ZoomCallbacks& callbacks) {
  return onUnitChild(unit, [&](ChildWindow& child) {
    child.zoomCallbacks = callbacks;
    return 0;
  });
}

int setStatusMessage(std::string_view text, int messageNumber) {
  if (messageNumber != kRunningMessage) return 0;
  {
    std::lock_guard guard(layer().lock);
    layer().stateMessages[kRunning] = std::string(text);
  }
  runOnGui([] {
    if (layer().frame != nullptr) layer().frame->showRunState();
  });
  return 1;
}

void setStatusNote(std::string_view text) {
  const QString note = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  runOnGui([&] {
    if (layer().frame != nullptr) layer().frame->showNote(note);
  });
}

void setStatusReadout(std::string_view text) {
  const QString readout = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  runOnGui([&] {
    if (layer().frame != nullptr) layer().frame->showReadout(readout);
  });
}

void waitWhilePaused() {
  // Polled like the display driver's flags; the message thread only flips the state.
  while (layer().runState.load() == kPaused) std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

void setWindowTitle(WindowHandle window, std::string_view title) {
  const QString text = QString::fromLatin1(title.data(), static_cast<qsizetype>(title.size()));
  runOnGui([&] {
    if (QWidget* widget = widgetOf(window)) widget->setWindowTitle(text);
  });
}

void setWindowPlacement(WindowHandle window, int x, int y, int width, int height, ZOrder order,
                        bool activate) {
  runOnGui([&] {
    QWidget* widget = widgetOf(window);
    if (widget == nullptr) return;
    widget->setGeometry(x, y, std::max(width, 1), std::max(height, 1));
    if (order == ZOrder::top) widget->raise();
    else widget->lower();
    if (activate) widget->activateWindow();
  });
}

void showWindow(WindowHandle window, ShowCommand command) {
  runOnGui([&] {
    QWidget* widget = widgetOf(window);
    if (widget == nullptr) return;
    switch (command) {
      case ShowCommand::normal:
      case ShowCommand::restore: widget->showNormal(); break;
      case ShowCommand::minimize: widget->showMinimized(); break;
      case ShowCommand::maximize:
        // Without a window manager (a bare X server) maximising would change nothing. A frame
        // already maximised keeps its geometry: a window manager may take a new one as a move
        // that ends the maximised state, and the screen's whole area would become the normal one.
        if (widget->isWindow() && !widget->isMaximized() && widget->screen() != nullptr)
          widget->setGeometry(widget->screen()->availableGeometry());
        widget->showMaximized();
        break;
    }
  });
  if (command == ShowCommand::maximize && window == windowHandle(kFrameUnit)) awaitMaximisedFrame();
}

Rect clientRect(WindowHandle window) {
  Rect rect;
  runOnGui([&] {
    QWidget* widget = widgetOf(window);
    if (widget == nullptr) return;
    const QWidget* area = widget == layer().frame ? layer().frame->mdiArea()->viewport()
                                                  : static_cast<QMdiSubWindow*>(widget)->widget();
    rect.right = area->width();
    rect.bottom = area->height() - (widget == layer().frame ? minimisedRowExcess() : 0);
  });
  return rect;
}

}  // namespace kelm::window
