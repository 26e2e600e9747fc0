#pragma once
// The off-screen drawing surface of one child window. The program thread draws into the image
// under the lock; the message thread only paints the image. Internal to window/.

#include <QFont>
#include <QImage>
#include <QPoint>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

namespace kelm::window {

class VectorRecorder;

struct Surface {
  mutable std::mutex lock;  // held for each single drawing operation
  QImage image;     // the backing store, QImage::Format_RGB32
  std::int32_t drawColor = 0x000000;        // 24-bit RGB, red in the low byte
  std::int32_t backgroundColor = 0xFFFFFF;
  QPoint position;  // current position of moveTo/lineTo/drawText
  QFont font;
  int fontIndex = -1;  // registry index counted from 0; -1: no font selected
  // Set while the surface's drawing is also recorded as vectors (offscreen pictures only).
  VectorRecorder* vectors = nullptr;
  // Asks the message thread to repaint; set by the child window. Called without the lock.
  std::function<void()> changed;

  void notifyChanged() {
    if (changed) changed();
  }
};

// The calling thread's graphics target (nullptr: no active child window).
Surface* activeSurface();
void makeSurfaceActive(Surface* surface);

}  // namespace kelm::window
