#include "window/printing.h"

#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <cstdlib>
#include <memory>

#include "window/frame_window.h"
#include "window/layer.h"
#include "window/printer_page.h"

namespace kelm::window {

namespace {

constexpr char kDocumentName[] = "KELM";
constexpr char kPrinterPrefix[] = "printer:";

// Where KELM_PRINT_TO sends the page, or why it cannot.
struct Target {
  enum Kind { dialog, pdfFile, namedPrinter, invalid } kind = dialog;
  QString name;
};

Target printTarget() {
  const char* value = std::getenv("KELM_PRINT_TO");
  if (value == nullptr || *value == '\0') return {};
  const QString text = QString::fromLocal8Bit(value);
  if (text.startsWith(kPrinterPrefix)) return {Target::namedPrinter, text.mid(int(sizeof kPrinterPrefix) - 1)};
  if (text.endsWith(".pdf", Qt::CaseInsensitive)) return {Target::pdfFile, text};
  return {Target::invalid, text};
}

void reportNotPrinted(const QString& why) {
  QMessageBox box(QMessageBox::Warning, kDocumentName, "The page was not printed: " + why + ".",
                  QMessageBox::Ok, layer().frame);
  box.exec();
}

// Why a PDF file could not be opened: the file system's own words.
QString whyNotWritable(const QString& path) {
  const bool existed = QFileInfo::exists(path);
  QFile probe(path);
  if (probe.open(QIODevice::WriteOnly | QIODevice::Append)) {
    probe.close();
    if (!existed) probe.remove();
    return "the file " + path + " could not be written";
  }
  return "the file " + path + " cannot be written (" + probe.errorString() + ")";
}

}  // namespace

PrintOutcome printPage(const PageDrawing& draw) {
  const Target target = printTarget();
  // A new printer each time: the dialog opens on the system's default printer again.
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  switch (target.kind) {
    case Target::invalid:
      reportNotPrinted("KELM_PRINT_TO must name a file ending in .pdf or printer:NAME, not \"" +
                       target.name + "\"");
      return PrintOutcome::failed;
    case Target::pdfFile:
      setUpPdf(*printer, target.name);
      break;
    case Target::namedPrinter:
      if (!QPrinterInfo::printerInfo(target.name).isNull()) {
        printer->setPrinterName(target.name);
        break;
      }
      reportNotPrinted("there is no printer named \"" + target.name + "\"");
      return PrintOutcome::failed;
    case Target::dialog: {
      QPrintDialog dialog(printer.get(), layer().frame);
      // One page, one copy: the dialog offers no range to choose.
      dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
      dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
      dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
      if (dialog.exec() != QDialog::Accepted) return PrintOutcome::cancelled;
      break;
    }
  }
  setUpDocument(*printer);

  QPainter painter;
  if (!painter.begin(printer.get())) {
    reportNotPrinted(printer->outputFormat() == QPrinter::PdfFormat
                         ? whyNotWritable(printer->outputFileName())
                         : "the printer " + printer->printerName() + " could not start the document");
    return PrintOutcome::failed;
  }
  {
    QtPrinterPage page(painter);
    draw(page, printerFacts(*printer));
  }
  if (!painter.end() || printer->printerState() == QPrinter::Error) {
    reportNotPrinted("the document could not be finished on " +
                     (printer->outputFormat() == QPrinter::PdfFormat ? printer->outputFileName()
                                                                      : printer->printerName()));
    return PrintOutcome::failed;
  }
  return PrintOutcome::printed;
}

}  // namespace kelm::window
