#pragma once
// The drawing operations of a surface repeated as vectors, so that a picture can also be
// written as SVG. Pixel end points are joined through pixel centres. Internal to window/.

#include <QBuffer>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QSvgGenerator>
#include <string>

namespace kelm::window {

class VectorRecorder {
 public:
  VectorRecorder(QSize size, const QString& title);
  ~VectorRecorder();
  VectorRecorder(const VectorRecorder&) = delete;
  VectorRecorder& operator=(const VectorRecorder&) = delete;

  void line(QPoint from, QPoint to, QRgb colour);
  void fill(const QRect& pixels, QRgb colour);
  void text(QPoint baseline, const QFont& font, QRgb colour, const QString& text);
  // Ends the drawing; the SVG document, or empty when it could not be made.
  std::string finish();

 private:
  void flushPath();

  QByteArray bytes_;
  QBuffer buffer_;
  QSvgGenerator generator_;
  QPainter painter_;
  // Consecutive lines of one colour become one path, so that a polyline of a thousand points
  // is one element of the document rather than a thousand.
  QPainterPath path_;
  QRgb pathColour_ = 0;
  bool finished_ = false;
};

}  // namespace kelm::window
