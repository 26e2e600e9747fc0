// The project file chooser and the help viewer.
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QWindow>

#include "runtime/text.h"
#include "window/dialogs.h"
#include "window/frame_window.h"
#include "window/gui_thread.h"
#include "window/layer.h"
#include "window/modal_frame.h"

namespace kelm::window {

namespace {

QPointer<QTextBrowser> helpViewer;

// Shows the help; over a modal dialog, the viewer becomes that dialog's transient window so
// that the dialog does not block it.
void openHelpViewer(const QString& helpFile, QWidget* modalDialog = nullptr) {
  if (!QFileInfo::exists(helpFile)) {
    showBox(modalDialog != nullptr ? modalDialog : layer().frame, QMessageBox::Warning, kBoxCaption,
            "The help file " + helpFile + " was not found.");
    return;
  }
  if (!helpViewer) {
    helpViewer = new QTextBrowser(layer().frame);
    helpViewer->setWindowFlag(Qt::Window);
    helpViewer->setAttribute(Qt::WA_DeleteOnClose);
    helpViewer->resize(720, 560);
  }
  helpViewer->setWindowTitle(QString(kBoxCaption) + " Help");
  helpViewer->setSource(QUrl::fromLocalFile(helpFile));
  helpViewer->winId();
  QWidget* owner = modalDialog != nullptr ? modalDialog : layer().frame;
  helpViewer->windowHandle()->setTransientParent(owner->window()->windowHandle());
  helpViewer->show();
  helpViewer->raise();
  helpViewer->activateWindow();
}

// The viewer outlives the dialog it was opened over and goes back to the frame.
void returnHelpViewerToFrame() {
  if (helpViewer && helpViewer->windowHandle() != nullptr && layer().frame != nullptr) {
    helpViewer->windowHandle()->setTransientParent(layer().frame->windowHandle());
  }
}

}  // namespace

bool chooseProjectFile(std::span<char> fileName, bool keepCurrentDirectory, std::string_view helpFile,
                       const ProjectChooserWords& words) {
  // QFileDialog browses without changing the process's directory, so keepCurrentDirectory
  // needs nothing further.
  (void)keepCurrentDirectory;
  const std::string_view proposed = trimRight(std::string_view(fileName.data(), fileName.size()));
  const QString proposal = QString::fromLocal8Bit(proposed.data(), static_cast<qsizetype>(proposed.size()));
  const QString help = QString::fromLocal8Bit(helpFile.data(), static_cast<qsizetype>(helpFile.size()));
  const QString title = QString::fromUtf8(words.title.data(), static_cast<qsizetype>(words.title.size()));
  const QString projectFile =
      QString::fromUtf8(words.projectFile.data(), static_cast<qsizetype>(words.projectFile.size()));
  bool chosen = false;
  runOnGui([&] {
    QFileDialog dialog(layer().frame, title);
    useModalFrame(dialog);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // Projects are only read: no deleting, renaming or new folders from here.
    dialog.setOption(QFileDialog::ReadOnly);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({projectFile + " (" + projectFile + ")", "All files (*)"});
    if (!proposal.isEmpty()) dialog.selectFile(proposal);
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>()) {
      QPushButton* helpButton = buttons->addButton(QDialogButtonBox::Help);
      QObject::connect(helpButton, &QPushButton::clicked, &dialog, [help, &dialog] { openHelpViewer(help, &dialog); });
    }
    while (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
      const QByteArray path = dialog.selectedFiles().first().toLocal8Bit();
      // A path cut to fit would name another file; ask again instead.
      if (static_cast<std::size_t>(path.size()) > fileName.size()) {
        showBox(&dialog, QMessageBox::Warning, title,
                QString("The path is %1 characters long; at most %2 are allowed. "
                        "Choose a project with a shorter path.")
                    .arg(path.size())
                    .arg(fileName.size()));
        continue;
      }
      assignPadded(fileName, std::string_view(path.constData(), static_cast<std::size_t>(path.size())));
      chosen = true;
      break;
    }
    returnHelpViewerToFrame();
  });
  return chosen;
}

void showHelpContents(std::string_view helpFile) {
  const QString help = QString::fromLocal8Bit(helpFile.data(), static_cast<qsizetype>(helpFile.size()));
  runOnGui([&] { openHelpViewer(help); });
}

}  // namespace kelm::window
