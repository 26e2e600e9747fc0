// Pixel operations on the calling thread's active child window, straight into its image.
#include "window/graphics.h"

#include <QImage>

#include <algorithm>
#include <cstdlib>

#include "window/graphics_state.h"
#include "window/surface.h"
#include "window/vector_recorder.h"

namespace kelm::window {

namespace {

thread_local int lastStatus = 0;

bool inside(const QImage& image, int x, int y) {
  return x >= 0 && y >= 0 && x < image.width() && y < image.height();
}

void plot(QImage& image, int x, int y, QRgb colour) {
  if (inside(image, x, y)) reinterpret_cast<QRgb*>(image.scanLine(y))[x] = colour;
}

// Both end points are drawn, so a vertical marker covers its column from top to bottom row.
void drawLine(QImage& image, int x0, int y0, int x1, int y1, QRgb colour) {
  const int dx = std::abs(x1 - x0);
  const int dy = -std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1;
  const int sy = y0 < y1 ? 1 : -1;
  int error = dx + dy;
  for (;;) {
    plot(image, x0, y0, colour);
    if (x0 == x1 && y0 == y1) return;
    const int twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      x0 += sx;
    }
    if (twice <= dx) {
      error += dx;
      y0 += sy;
    }
  }
}

void recordRectangle(VectorRecorder& vectors, int fillMode, const QRect& r, QRgb colour) {
  if (fillMode == kFilled) {
    vectors.fill(r, colour);
    return;
  }
  vectors.line(r.topLeft(), r.topRight(), colour);
  vectors.line(r.topRight(), r.bottomRight(), colour);
  vectors.line(r.bottomRight(), r.bottomLeft(), colour);
  vectors.line(r.bottomLeft(), r.topLeft(), colour);
}

// Runs operation on the active surface under its lock; fallback without one.
template <class Result, class Operation>
Result onSurface(Result fallback, Operation operation) {
  Surface* surface = activeSurface();
  if (surface == nullptr) return fallback;
  Result result;
  {
    std::lock_guard guard(surface->lock);
    result = operation(*surface);
  }
  surface->notifyChanged();
  return result;
}

}  // namespace

void setGraphicsStatus(int status) { lastStatus = status; }
int graphicsStatus() { return lastStatus; }

std::int32_t setDrawColor(std::int32_t rgb) {
  return onSurface<std::int32_t>(-1, [rgb](Surface& s) { return std::exchange(s.drawColor, rgb & 0xFFFFFF); });
}

std::int32_t setBackgroundColor(std::int32_t rgb) {
  return onSurface<std::int32_t>(-1, [rgb](Surface& s) {
    return std::exchange(s.backgroundColor, rgb & 0xFFFFFF);
  });
}

int clearWindow(std::int32_t) {
  return onSurface(0, [](Surface& s) {
    s.image.fill(toQRgb(s.backgroundColor));
    if (s.vectors != nullptr) s.vectors->fill(s.image.rect(), toQRgb(s.backgroundColor));
    return 1;
  });
}

void moveTo(std::int16_t x, std::int16_t y, PixelPoint* previous) {
  onSurface(0, [&](Surface& s) {
    if (previous != nullptr) {
      previous->x = static_cast<std::int16_t>(s.position.x());
      previous->y = static_cast<std::int16_t>(s.position.y());
    }
    s.position = QPoint(x, y);
    return 0;
  });
}

int lineTo(std::int16_t x, std::int16_t y) {
  return onSurface(0, [&](Surface& s) {
    drawLine(s.image, s.position.x(), s.position.y(), x, y, toQRgb(s.drawColor));
    if (s.vectors != nullptr) s.vectors->line(s.position, QPoint(x, y), toQRgb(s.drawColor));
    s.position = QPoint(x, y);
    return 1;
  });
}

int drawRectangle(int fillMode, std::int16_t x1, std::int16_t y1, std::int16_t x2, std::int16_t y2) {
  if (fillMode != kFilled && fillMode != kOutline) return 0;
  return onSurface(0, [&](Surface& s) {
    const int left = std::min(x1, x2), right = std::max(x1, x2);
    const int top = std::min(y1, y2), bottom = std::max(y1, y2);
    const QRgb colour = toQRgb(s.drawColor);
    if (s.vectors != nullptr) {
      recordRectangle(*s.vectors, fillMode, QRect(QPoint(left, top), QPoint(right, bottom)), colour);
    }
    if (fillMode == kFilled) {
      for (int y = std::max(top, 0); y <= std::min(bottom, s.image.height() - 1); ++y) {
        for (int x = std::max(left, 0); x <= std::min(right, s.image.width() - 1); ++x) {
          plot(s.image, x, y, colour);
        }
      }
    } else {
      drawLine(s.image, left, top, right, top, colour);
      drawLine(s.image, right, top, right, bottom, colour);
      drawLine(s.image, right, bottom, left, bottom, colour);
      drawLine(s.image, left, bottom, left, top, colour);
    }
    return 1;
  });
}

std::int32_t setPixel(std::int16_t x, std::int16_t y) {
  return onSurface<std::int32_t>(-1, [&](Surface& s) -> std::int32_t {
    if (!inside(s.image, x, y)) return -1;
    const std::int32_t previous = fromQRgb(s.image.pixel(x, y));
    plot(s.image, x, y, toQRgb(s.drawColor));
    if (s.vectors != nullptr) s.vectors->fill(QRect(x, y, 1, 1), toQRgb(s.drawColor));
    return previous;
  });
}

std::int32_t surfaceHeight() {
  Surface* surface = activeSurface();
  if (surface == nullptr) return 0;
  std::lock_guard guard(surface->lock);
  return surface->image.height();
}

std::int32_t getPixelColor(std::int16_t x, std::int16_t y) {
  Surface* surface = activeSurface();
  if (surface == nullptr) return -1;
  std::lock_guard guard(surface->lock);
  return inside(surface->image, x, y) ? fromQRgb(surface->image.pixel(x, y)) : -1;
}

std::int32_t setPixelColor(std::int16_t x, std::int16_t y, std::int32_t rgb) {
  return onSurface<std::int32_t>(-1, [&](Surface& s) -> std::int32_t {
    if (!inside(s.image, x, y)) return -1;
    const std::int32_t previous = fromQRgb(s.image.pixel(x, y));
    plot(s.image, x, y, toQRgb(rgb));
    if (s.vectors != nullptr) s.vectors->fill(QRect(x, y, 1, 1), toQRgb(rgb));
    return previous;
  });
}

}  // namespace kelm::window
