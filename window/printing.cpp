#include "window/printing.h"

#include <sys/stat.h>

#include <QMessageBox>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "runtime/text.h"
#include "runtime/whole_file.h"
#include "window/frame_window.h"
#include "window/layer.h"
#include "window/printer_page.h"

namespace kelm::window {

namespace {

constexpr char kPrinterPrefix[] = "printer:";

// Where the target variable sends the page, or why it cannot.
struct Target {
  enum Kind { dialog, pdfFile, namedPrinter, invalid } kind = dialog;
  QString name;
  std::string path;  // a PDF file's name as given
};

Target printTarget(const char* variable) {
  const char* value = *variable == '\0' ? nullptr : std::getenv(variable);
  if (value == nullptr || *value == '\0') return {};
  const QString text = QString::fromLocal8Bit(value);
  if (text.startsWith(kPrinterPrefix)) return {Target::namedPrinter, text.mid(int(sizeof kPrinterPrefix) - 1), value};
  if (text.endsWith(".pdf", Qt::CaseInsensitive)) return {Target::pdfFile, text, value};
  return {Target::invalid, text, value};
}

void reportNotPrinted(const PrintWords& words, const QString& why) {
  QMessageBox box(QMessageBox::Warning, words.documentName, "The page was not printed: " + why + ".",
                  QMessageBox::Ok, layer().frame);
  box.exec();
}

QString shown(const std::string& path) { return QString::fromStdString(printable(path)); }

// Where a PDF goes: a relative name from where KELM started (the project directory is current
// by now), through a link to the file it names, so that the link stays.
std::string pdfPath(const std::string& name) {
  std::filesystem::path path(name);
  if (path.is_relative() && !layer().startDirectory.empty()) path = layer().startDirectory / path;
  std::error_code error;
  const std::filesystem::path followed = std::filesystem::weakly_canonical(path, error);
  return (error ? path : followed).string();
}

// Only a regular file is replaced, or a new one made: a FIFO would hang the message thread
// in open(), a device never keeps the page, a directory is in the way. Empty when acceptable.
QString whyNotPdfTarget(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) == 0)
    return S_ISREG(status.st_mode) ? QString() : "the file " + shown(path) + " is not a regular file";
  int error = errno;
  if (error == ENOENT) {
    // A new file needs a directory to go in: said before the page is drawn for nothing.
    const std::string directory = std::filesystem::path(path).parent_path().string();
    if (::stat(directory.c_str(), &status) != 0) error = errno;
    else if (!S_ISDIR(status.st_mode)) error = ENOTDIR;
    else return {};
  }
  return "the file " + shown(path) + " cannot be written (" + std::strerror(error) + ")";
}

// The whole document made first and the file replaced whole after, so that a full disk or a
// cut document leaves the old file as it was.
PrintOutcome printPdf(const PrintWords& words, const std::string& name, const PageDrawing& draw) {
  const std::string path = pdfPath(name);
  if (const QString why = whyNotPdfTarget(path); !why.isEmpty()) {
    reportNotPrinted(words, why);
    return PrintOutcome::failed;
  }
  std::string why;
  const std::string bytes =
      pdfDocument(words.documentName, 1, [&](int, PrinterPage& page, const PrinterFacts& facts) { draw(page, facts); }, why);
  if (bytes.empty()) {
    reportNotPrinted(words, QString::fromStdString(why));
    return PrintOutcome::failed;
  }
  if (!runtime::writeWholeFile(path, bytes, why)) {
    reportNotPrinted(words, QString::fromStdString(printable(why)));
    return PrintOutcome::failed;
  }
  return PrintOutcome::printed;
}

}  // namespace

PrintOutcome printPage(const PrintWords& words, const PageDrawing& draw) {
  const Target target = printTarget(words.targetVariable);
  // A new printer each time: the dialog opens on the system's default printer again.
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  switch (target.kind) {
    case Target::invalid:
      reportNotPrinted(words, QString(words.targetVariable) + " must name a file ending in .pdf or printer:NAME, not \"" +
                       shown(target.path) + "\"");
      return PrintOutcome::failed;
    case Target::pdfFile:
      return printPdf(words, target.path, draw);
    case Target::namedPrinter:
      if (!QPrinterInfo::printerInfo(target.name).isNull()) {
        printer->setPrinterName(target.name);
        break;
      }
      reportNotPrinted(words, "there is no printer named \"" + target.name + "\"");
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
  setUpDocument(*printer, words.documentName);

  QPainter painter;
  if (!painter.begin(printer.get())) {
    reportNotPrinted(words, "the printer " + printer->printerName() + " could not start the document");
    return PrintOutcome::failed;
  }
  {
    QtPrinterPage page(painter);
    draw(page, printerFacts(*printer));
  }
  if (!painter.end() || printer->printerState() == QPrinter::Error) {
    reportNotPrinted(words, "the document could not be finished on " + printer->printerName());
    return PrintOutcome::failed;
  }
  return PrintOutcome::printed;
}

}  // namespace kelm::window
