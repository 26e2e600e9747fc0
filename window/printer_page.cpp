#include "window/printer_page.h"

#include <QFontMetrics>
#include <QPageLayout>
#include <QPageSize>
#include <QString>

namespace kelm::window {

namespace {


QString qs(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

PrinterFacts printerFacts(const QPrinter& printer) {
  // Without a full page the printer's metrics are those of the printable area.
  return PrinterFacts{printer.widthMM(), printer.heightMM(), printer.logicalDpiX(),
                      printer.logicalDpiY()};
}

void setUpDocument(QPrinter& printer, const char* name) {
  printer.setDocName(name);
  printer.setCreator(name);
  printer.setCopyCount(1);
  printer.setPrintRange(QPrinter::AllPages);
  printer.setFullPage(false);
}

void setUpPdf(QPrinter& printer, const QString& path) {
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(path);
  printer.setResolution(600);
  printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                    QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
}

QtPrinterPage::QtPrinterPage(QPainter& painter) : painter_(painter) {
  QFont font("Liberation Sans");
  font.setPointSizeF(8.0);
  painter_.setFont(font);
  painter_.setPen(QPen(Qt::black, 1));
  painter_.setBrush(Qt::NoBrush);
  // Text is drawn on an opaque white ground, as printers do by default.
  painter_.setBackground(Qt::white);
  painter_.setBackgroundMode(Qt::OpaqueMode);
}

QtPrinterPage::~QtPrinterPage() { flush(); }

void QtPrinterPage::flush() {
  if (pending_.size() >= 2) painter_.drawPolyline(pending_);
  pending_.clear();
}

void QtPrinterPage::moveTo(std::int16_t x, std::int16_t y) {
  flush();
  position_ = QPoint(x, y);
}

void QtPrinterPage::lineTo(std::int16_t x, std::int16_t y) {
  const QPoint to(x, y);
  if (pending_.isEmpty()) {
    pending_.append(position_);
  } else if (to == position_) {
    return;  // a step within one device unit adds nothing to a line already drawn
  }
  position_ = to;
  pending_.append(position_);
}

void QtPrinterPage::drawText(std::string_view text) {
  flush();
  painter_.drawText(QPoint(position_.x(), position_.y() + painter_.fontMetrics().ascent()), qs(text));
}

std::int32_t QtPrinterPage::textWidth(std::string_view text) const {
  return painter_.fontMetrics().horizontalAdvance(qs(text));
}

std::int32_t QtPrinterPage::textHeight() const { return painter_.fontMetrics().height(); }

std::int32_t QtPrinterPage::setPenWidth(std::int32_t deviceUnits) {
  flush();
  QPen pen = painter_.pen();
  const std::int32_t previous = pen.width();
  pen.setWidth(deviceUnits);
  // Round ends make a line of no length a dot, as the figures' marks are.
  pen.setCapStyle(deviceUnits > 1 ? Qt::RoundCap : Qt::SquareCap);
  pen.setJoinStyle(deviceUnits > 1 ? Qt::RoundJoin : Qt::BevelJoin);
  painter_.setPen(pen);
  return previous;
}

}  // namespace kelm::window
