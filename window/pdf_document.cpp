// Several printed pages in one PDF document, for kelm-export.
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryFile>

#include "runtime/fp_traps.h"
#include "window/printer_page.h"
#include "window/printing.h"

namespace kelm::window {

namespace {

// A finished PDF ends with its end-of-file marker, give or take a line end.
constexpr qsizetype kTrailerReach = 16;

}  // namespace

std::string pdfDocument(const char* documentName, int pages, const DocumentPageDrawing& draw, std::string& why) {
  // As the print commands on the message thread: the pages are drawn without traps.
  FloatingPointTrapsSuspended untrapped;
  // The printer writes a file of its own; the caller decides where the bytes go.
  QTemporaryFile file(QDir::tempPath() + "/kelm-XXXXXX.pdf");
  if (!file.open()) {
    why = "no temporary file for the PDF: " + file.errorString().toStdString();
    return {};
  }
  file.close();
  QPrinter printer(QPrinter::HighResolution);
  setUpPdf(printer, file.fileName());
  setUpDocument(printer, documentName);
  QPainter painter;
  if (!painter.begin(&printer)) {
    why = "the PDF could not be started";
    return {};
  }
  for (int page = 0; page < pages; ++page) {
    if (page > 0) printer.newPage();
    QtPrinterPage printerPage(painter);
    draw(page, printerPage, printerFacts(printer));
  }
  if (!painter.end() || printer.printerState() == QPrinter::Error || !file.open()) {
    why = "the PDF could not be finished";
    return {};
  }
  const QByteArray bytes = file.readAll();
  // A temporary directory that filled up cuts the document without a word from the printer.
  if (!bytes.startsWith("%PDF-") || !bytes.right(kTrailerReach).contains("%%EOF")) {
    why = "the PDF could not be written whole in " + QDir::tempPath().toStdString();
    return {};
  }
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace kelm::window
