#include "window/message_boxes.h"

#include <QMessageBox>

#include <string>

#include "window/frame_window.h"
#include "window/gui_thread.h"
#include "window/layer.h"
#include "window/menus.h"

namespace kelm::window {

namespace {

constexpr char kLayerName[] = "KELM window layer";

QString qs(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString programCaption() { return QString::fromStdString(layer().programName); }

QMessageBox::Icon iconOf(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::information: return QMessageBox::Information;
    case BoxIcon::warning: return QMessageBox::Warning;
    case BoxIcon::error: return QMessageBox::Critical;
    case BoxIcon::question: return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

void showMessageBox(std::string_view caption, std::string_view text, BoxIcon icon) {
  const QString title = qs(caption);
  const QString body = qs(text);
  runOnGui([&] {
    QMessageBox box(iconOf(icon), title, body, QMessageBox::Ok, layer().frame);
    box.exec();
  });
}

void showAboutBox() {
  QMessageBox box(QMessageBox::Information, programCaption(), QString::fromStdString(layer().aboutText),
                  QMessageBox::Ok, layer().frame);
  box.exec();
}

void showLayerText(std::string_view title, std::string_view text) {
  QMessageBox box(QMessageBox::Information, qs(title), qs(text), QMessageBox::Ok, layer().frame);
  box.exec();
}

bool askEndOfProgram(int exitCode) {
  QMessageBox box(QMessageBox::Warning, programCaption(),
                  "Program Terminated with exit code " + QString::number(exitCode) + "\nExit Window?",
                  QMessageBox::Yes | QMessageBox::No, layer().frame);
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

void reportLayerError(int code) {
  const char* message = code == kOutOfMemory    ? "Out of Memory"
                        : code == kInconsistency ? "Possible internal inconsistency"
                                                 : "Internal Error - unexpected error";
  runOnGui([&] {
    QMessageBox box(QMessageBox::Critical, QString(kLayerName) + " Error",
                    QString(message) + "\nfile menus.cpp", QMessageBox::Ok, layer().frame);
    box.exec();
  });
}

}  // namespace kelm::window
