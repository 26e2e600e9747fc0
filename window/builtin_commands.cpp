#include "window/builtin_commands.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QStatusBar>

#include "window/child_window.h"
#include "window/frame_window.h"
#include "window/kept_sub_window.h"
#include "window/layer.h"
#include "window/message_boxes.h"
#include "window/output_window.h"

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

constexpr char kUsingHelpText[] =
    "The help viewer shows the program's help file. Follow the links to move between topics; "
    "use the Back and Forward buttons of the viewer to retrace your steps.";

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

void printActiveWindow() {
  QPrinter printer(QPrinter::HighResolution);
  QPrintDialog dialog(&printer, &frame());
  dialog.setWindowTitle("Print");
  if (dialog.exec() != QDialog::Accepted) return;
  if (activeChild() != nullptr) {
    const QImage image = activeImage();
    QPainter painter(&printer);
    const QRect page = painter.viewport();
    const QSize size = image.size().scaled(page.size(), Qt::KeepAspectRatio);
    painter.drawImage(QRect(page.topLeft(), size), image);
  } else if (layer().output != nullptr) {
    layer().output->print(&printer);
  }
}

void saveActiveWindow() {
  const QImage image = activeImage();
  if (image.isNull()) {
    QMessageBox::information(&frame(), QString::fromStdString(layer().programName),
                             "Choose a graphics window to save.");
    return;
  }
  const QString name = QFileDialog::getSaveFileName(&frame(), "Save", QString(),
                                                    "PNG image (*.png);;BMP image (*.bmp)");
  if (name.isEmpty()) return;
  if (!image.save(name)) {
    QMessageBox::warning(&frame(), QString::fromStdString(layer().programName),
                         "The picture could not be saved to " + name + ".");
  }
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
