#include "window/message_boxes.h"

#include <QMessageBox>

#include <string>

#include "window/frame_window.h"
#include "window/gui_thread.h"
#include "window/layer.h"
#include "window/menus.h"
#include "window/modal_frame.h"

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
  runOnGui([&] { showBox(layer().frame, iconOf(icon), title, body); });
}

void showAboutBox() {
  showBox(layer().frame, QMessageBox::Information, programCaption(), QString::fromStdString(layer().aboutText));
}

void showLayerText(std::string_view title, std::string_view text) {
  showBox(layer().frame, QMessageBox::Information, qs(title), qs(text));
}

bool askEndOfProgram(int exitCode) {
  return showBox(layer().frame, QMessageBox::Warning, programCaption(),
                 "Program Terminated with exit code " + QString::number(exitCode) + "\nExit Window?",
                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

void reportLayerError(int code) {
  const char* message = code == kOutOfMemory    ? "Out of Memory"
                        : code == kInconsistency ? "Possible internal inconsistency"
                                                 : "Internal Error - unexpected error";
  runOnGui([&] {
    showBox(layer().frame, QMessageBox::Critical, QString(kLayerName) + " Error", QString(message) + "\nfile menus.cpp");
  });
}

}  // namespace kelm::window
