#include "window/builtin_commands.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMessageBox>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QStatusBar>

#include <string>
#include <string_view>

#include "runtime/whole_file.h"

#include "window/child_window.h"
#include "window/frame_window.h"
#include "window/kept_sub_window.h"
#include "window/layer.h"
#include "window/message_boxes.h"
#include "window/modal_frame.h"
#include "window/output_window.h"
#include "window/printer_page.h"
#include "window/printing.h"

namespace kelm::window {

namespace {

enum BuiltinId {
  kExit = 1000, kSelectText = 1001, kSelectGraphics = 1002, kSelectAll = 1003, kCopy = 1004,
  kSizeToFit = 1006, kFullScreen = 1007, kPause = 1008, kCascade = 1010, kTile = 1011,
  kArrangeIcons = 1012, kStatusBar = 1015, kContents = 1016, kUsingHelp = 1017, kAbout = 1018,
  kPrint = 1019, kSave = 1020, kPaste = 1021, kClearPaste = 1022, kInput = 1023,
};

constexpr char kLayerHelp[] =
    "The frame holds one window per unit. The \"Output\" window shows the program's messages; "
    "the other windows show its graphics.\n\n"
    "File: print or save the active window. Edit: copy its text or picture. "
    "State: pause and resume the program. Window: arrange the windows, show or hide the status bar.";

// The viewer is a plain text browser without buttons, so its keys are what there is to tell.
constexpr char kUsingHelpText[] =
    "The help viewer shows the program's help file in a window of its own. Click a link, or "
    "press Tab to move from link to link and Enter to follow one.\n\n"
    "Alt+Left goes back to where you were, Alt+Right forward again, Alt+Up to the top.\n"
    "Ctrl with the mouse wheel makes the text larger or smaller; Ctrl+C copies selected text.";

FrameWindow& frame() { return *layer().frame; }

ChildWindow* activeChild() {
  QMdiSubWindow* sub = frame().mdiArea()->activeSubWindow();
  return sub != nullptr ? dynamic_cast<ChildWindow*>(sub->widget()) : nullptr;
}

QImage activeImage() {
  ChildWindow* child = activeChild();
  if (child == nullptr) return {};
  std::lock_guard guard(child->surface().lock);
  return child->surface().image.copy();
}

// Through the print layer, so that the program's target variable and document name hold here too.
void printActiveWindow() {
  const bool graphics = activeChild() != nullptr;
  const QImage image = activeImage();
  const QStringList lines =
      graphics || layer().output == nullptr ? QStringList() : layer().output->toPlainText().split('\n');
  (void)printPage(layer().printWords, [&](PrinterPage& page, const PrinterFacts&) {
    auto* qtPage = dynamic_cast<QtPrinterPage*>(&page);
    if (qtPage == nullptr) return;
    qtPage->flush();
    QPainter& painter = qtPage->painter();
    const QRect area = painter.viewport();
    if (graphics) {
      painter.drawImage(QRect(area.topLeft(), image.size().scaled(area.size(), Qt::KeepAspectRatio)), image);
      return;
    }
    // The Output text, line by line, on as many pages as it takes.
    painter.setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    const int lineHeight = painter.fontMetrics().lineSpacing();
    int y = 0;
    for (const QString& line : lines) {
      if (y + lineHeight > area.height() && y > 0) {
        static_cast<QPagedPaintDevice*>(painter.device())->newPage();
        y = 0;
      }
      painter.drawText(0, y + painter.fontMetrics().ascent(), line);
      y += lineHeight;
    }
  });
}

struct ImageFormat {
  QString filter, suffix;
  const char* format;
};
const ImageFormat kImageFormats[] = {{"PNG image (*.png)", "png", "PNG"}, {"BMP image (*.bmp)", "bmp", "BMP"}};

const ImageFormat& formatOfFilter(const QString& filter) {
  for (const ImageFormat& f : kImageFormats)
    if (f.filter == filter) return f;
  return kImageFormats[0];
}

// A name's own image suffix chooses the format; any other name is written in the chosen
// filter's format.
const ImageFormat& formatOfName(const QString& name, const ImageFormat& chosen) {
  for (const ImageFormat& f : kImageFormats)
    if (QFileInfo(name).suffix().compare(f.suffix, Qt::CaseInsensitive) == 0) return f;
  return chosen;
}

void saveActiveWindow() {
  const QImage image = activeImage();
  if (image.isNull()) {
    showBox(&frame(), QMessageBox::Information, kBoxCaption, "Choose a graphics window to save.");
    return;
  }
  QFileDialog dialog(&frame(), "Save");
  useModalFrame(dialog);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::ReadOnly);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters({kImageFormats[0].filter, kImageFormats[1].filter});
  // A name without a suffix gets the chosen filter's, so the format is never left to guess.
  dialog.setDefaultSuffix(kImageFormats[0].suffix);
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                   [&dialog](const QString& filter) { dialog.setDefaultSuffix(formatOfFilter(filter).suffix); });
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const QString name = dialog.selectedFiles().first();
  // Checked after the dialog's own replace question, which cannot know a project's files.
  if (layer().saveRefusal != nullptr) {
    const std::string why = layer().saveRefusal(QFile::encodeName(name).toStdString());
    if (!why.empty()) {
      showBox(&frame(), QMessageBox::Warning, kBoxCaption, QString::fromStdString(why));
      return;
    }
  }
  const ImageFormat format = formatOfName(name, formatOfFilter(dialog.selectedNameFilter()));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  std::string why;
  if (!image.save(&buffer, format.format)) {
    why = "the picture could not be encoded";
  } else if (runtime::writeWholeFile(QFile::encodeName(name).toStdString(),
                                     std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), why)) {
    return;
  }
  showBox(&frame(), QMessageBox::Warning, kBoxCaption,
          "The picture was not saved to " + name + ": " + QString::fromStdString(why) + ".");
}

void copyActiveWindow() {
  if (activeChild() != nullptr) {
    QApplication::clipboard()->setImage(activeImage());
  } else if (layer().output != nullptr) {
    layer().output->copy();
  }
}

void togglePause() {
  Layer& l = layer();
  const int state = l.runState.load();
  if (state == kFinished) return;
  const bool pausing = state == kRunning;
  l.runState = pausing ? kPaused : kRunning;
  for (int menu = 1; menu <= static_cast<int>(l.menus.entries().size()); ++menu) {
    const auto& items = l.menus.entries()[static_cast<std::size_t>(menu - 1)].items;
    for (int item = 1; item <= static_cast<int>(items.size()); ++item) {
      if (items[static_cast<std::size_t>(item - 1)].id == kPause) {
        l.menus.setText(menu, item, pausing ? "&Resume\tCtrl+S" : "&Pause\tCtrl+S");
      }
    }
  }
  frame().renderMenus();
  frame().showRunState();
}

void toggleStatusBar() {
  QStatusBar* bar = frame().statusBar();
  bar->setVisible(!bar->isVisible());
}

}  // namespace

void runBuiltinCommand(int id) {
  FrameWindow& f = frame();
  switch (id) {
    case kExit: f.close(); break;
    case kPrint: printActiveWindow(); break;
    case kSave: saveActiveWindow(); break;
    case kCopy: copyActiveWindow(); break;
    case kSelectText:
    case kSelectAll:
      if (layer().output != nullptr && activeChild() == nullptr) layer().output->selectAll();
      break;
    case kSelectGraphics: break;  // a whole window's picture is what Copy takes
    case kSizeToFit:
      if (ChildWindow* child = activeChild()) {
        f.mdiArea()->activeSubWindow()->resize(child->surface().image.size() +
                                               (f.mdiArea()->activeSubWindow()->size() - child->size()));
      }
      break;
    case kFullScreen: f.isFullScreen() ? f.showNormal() : f.showFullScreen(); break;
    case kPause: togglePause(); break;
    case kCascade:
      showClosedSubWindows(*f.mdiArea());
      f.mdiArea()->cascadeSubWindows();
      break;
    case kTile:
      showClosedSubWindows(*f.mdiArea());
      f.mdiArea()->tileSubWindows();
      break;
    case kStatusBar: toggleStatusBar(); break;
    case kContents: showLayerText("Contents", kLayerHelp); break;
    case kUsingHelp: showLayerText("Using Help", kUsingHelpText); break;
    case kAbout: showAboutBox(); break;
    case kArrangeIcons:  // Qt keeps minimised windows in a row by itself
    case kPaste:         // the program takes no keyboard input
    case kClearPaste:
    case kInput:
    default: break;
  }
}

}  // namespace kelm::window
