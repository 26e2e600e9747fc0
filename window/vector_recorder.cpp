#include "window/vector_recorder.h"

#include <QFontMetrics>

#include "runtime/fp_traps.h"

namespace kelm::window {

namespace {

constexpr int kMaxPathElements = 1000;

QPointF centreOf(QPoint pixel) { return QPointF(pixel.x() + 0.5, pixel.y() + 0.5); }

}  // namespace

VectorRecorder::VectorRecorder(QSize size, const QString& title) : buffer_(&bytes_) {
  FloatingPointTrapsSuspended untrapped;
  generator_.setOutputDevice(&buffer_);
  generator_.setSize(size);
  generator_.setViewBox(QRect(QPoint(0, 0), size));
  // One user unit a pixel, and font sizes in pixels as on the screen.
  generator_.setResolution(72);
  generator_.setTitle(title);
  painter_.begin(&generator_);
  painter_.setRenderHint(QPainter::Antialiasing, false);
}

VectorRecorder::~VectorRecorder() {
  if (!finished_) finish();
}

void VectorRecorder::flushPath() {
  if (path_.isEmpty()) return;
  // A square cap covers the end pixels in full, as the raster line does.
  painter_.setPen(QPen(QColor::fromRgb(pathColour_), 1.0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  painter_.setBrush(Qt::NoBrush);
  painter_.drawPath(path_);
  path_.clear();
}

void VectorRecorder::line(QPoint from, QPoint to, QRgb colour) {
  FloatingPointTrapsSuspended untrapped;
  // Paths are kept to a size every reader of SVG parses whole.
  if (!path_.isEmpty() && (colour != pathColour_ || path_.elementCount() >= kMaxPathElements)) flushPath();
  pathColour_ = colour;
  const QPointF start = centreOf(from);
  if (path_.isEmpty() || path_.currentPosition() != start) path_.moveTo(start);
  path_.lineTo(centreOf(to));
}

void VectorRecorder::fill(const QRect& pixels, QRgb colour) {
  FloatingPointTrapsSuspended untrapped;
  flushPath();
  painter_.fillRect(pixels, QColor::fromRgb(colour));
}

void VectorRecorder::text(QPoint baseline, const QFont& font, QRgb colour, const QString& text) {
  FloatingPointTrapsSuspended untrapped;
  flushPath();
  painter_.setFont(font);
  painter_.setPen(QColor::fromRgb(colour));
  // Each run of characters is placed on its own, where the raster text puts it: readers of
  // SVG may collapse the blanks that pad the labels' fixed-width fields.
  const QFontMetrics metrics(font);
  for (qsizetype start = 0; start < text.size();) {
    if (text[start] == ' ') {
      ++start;
      continue;
    }
    qsizetype end = start;
    while (end < text.size() && text[end] != ' ') ++end;
    const int x = baseline.x() + metrics.horizontalAdvance(text.left(start));
    painter_.drawText(QPoint(x, baseline.y()), text.mid(start, end - start));
    start = end;
  }
}

std::string VectorRecorder::finish() {
  FloatingPointTrapsSuspended untrapped;
  if (finished_) return {};
  flushPath();
  finished_ = true;
  if (!painter_.end()) return {};
  return std::string(bytes_.constData(), static_cast<std::size_t>(bytes_.size()));
}

}  // namespace kelm::window
