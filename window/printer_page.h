#pragma once
// The printer's side of a print job: the facts read from a QPrinter and a page drawn with a
// QPainter on it. Internal to window/.

#include <QPainter>
#include <QPolygon>
#include <QPrinter>

#include "window/printing.h"

namespace kelm::window {

PrinterFacts printerFacts(const QPrinter& printer);

// A document of that name: one copy of every page, each on the printable area only, whatever
// the print dialog or the printer's defaults say.
void setUpDocument(QPrinter& printer, const char* name);

// A PDF of its own is A4 with margins of 10 mm at 600 dpi, a laser printer's resolution, at
// which the figures' 5-unit marks are a fifth of a millimetre across.
void setUpPdf(QPrinter& printer, const QString& path);

// Lines that follow one another without a move are sent as one polyline, which keeps a page
// of many thousand segments small and quick to write.
class QtPrinterPage final : public PrinterPage {
 public:
  explicit QtPrinterPage(QPainter& painter);
  ~QtPrinterPage() override;

  void moveTo(std::int16_t x, std::int16_t y) override;
  void lineTo(std::int16_t x, std::int16_t y) override;
  void drawText(std::string_view text) override;
  std::int32_t textWidth(std::string_view text) const override;
  std::int32_t textHeight() const override;
  std::int32_t setPenWidth(std::int32_t deviceUnits) override;
  // Draws what is pending; the painter may end afterwards.
  void flush();
  // For pages that are pictures rather than lines and texts; flush first.
  QPainter& painter() { return painter_; }

 private:
  QPainter& painter_;
  QPoint position_;
  QPolygon pending_;
};

}  // namespace kelm::window
