// Modal dialogs built from the program's templates. They live on the message thread: the
// program shows them from menu callbacks, which run there.
#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

#include "runtime/text.h"
#include "window/dialog_record.h"
#include "window/frame_window.h"
#include "window/layer.h"

namespace kelm::window {
namespace {

std::map<int, DialogTemplate>& templates() {
  static std::map<int, DialogTemplate> registered;
  return registered;
}

std::map<int, LoadedDialog>& loadedDialogs() {
  static std::map<int, LoadedDialog> loaded;
  return loaded;
}
int nextHandle = 1;

bool onMessageThread() {
  return qApp != nullptr && QThread::currentThread() == qApp->thread();
}

void pressButton(int handle, int id) {
  LoadedDialog* d = findDialog(handle);
  if (d == nullptr) return;
  const auto bound = d->callbacks.find(id);
  if (bound != d->callbacks.end()) bound->second(handle, id);
  else d->dialog->done(id);
}

QWidget* makeControl(const ControlTemplate& c, QDialog& dialog, int handle) {
  switch (c.kind) {
    case ControlKind::staticText:
    case ControlKind::rightAlignedText: {
      auto* label = new QLabel(QString::fromLatin1(c.text), &dialog);
      if (c.kind == ControlKind::rightAlignedText) label->setAlignment(Qt::AlignRight | Qt::AlignTop);
      return label;
    }
    case ControlKind::edit:
      return new QLineEdit(&dialog);
    case ControlKind::defaultButton:
    case ControlKind::button: {
      auto* button = new QPushButton(QString::fromLatin1(c.text), &dialog);
      button->setDefault(c.kind == ControlKind::defaultButton);
      // Enter on a focused button presses that button, not the default one.
      button->setAutoDefault(true);
      const int id = c.id;
      QObject::connect(button, &QPushButton::clicked, &dialog, [handle, id] { pressButton(handle, id); });
      return button;
    }
    case ControlKind::dropDownList:
    case ControlKind::listBox:
    case ControlKind::treeView:
      return makeListControl(c, dialog, handle);
  }
  return nullptr;
}

}  // namespace

LoadedDialog* findDialog(int handle) {
  auto it = loadedDialogs().find(handle);
  return it == loadedDialogs().end() ? nullptr : &it->second;
}

void registerDialogTemplate(const DialogTemplate& dialog) { templates()[dialog.resource] = dialog; }

int loadDialog(int resource) {
  const auto it = templates().find(resource);
  if (it == templates().end() || !onMessageThread()) return -1;
  const DialogTemplate& t = it->second;

  LoadedDialog loaded;
  // Owned by the frame, which lives as long as the layer, never by a window that may close.
  loaded.dialog = std::make_unique<QDialog>(layer().frame);
  QDialog& dialog = *loaded.dialog;
  dialog.setWindowTitle(QString::fromLatin1(t.caption));
  const QFontMetrics metrics(dialog.font());
  const double unitX = metrics.averageCharWidth() / 4.0, unitY = metrics.height() / 8.0;
  auto px = [](double units, double scale) { return static_cast<int>(units * scale); };
  dialog.setFixedSize(px(t.width, unitX), px(t.height, unitY));
  const int handle = nextHandle++;
  for (const ControlTemplate& c : t.controls) {
    QWidget* control = makeControl(c, dialog, handle);
    // A drop-down's template height includes its open list.
    const int height = c.kind == ControlKind::dropDownList ? control->sizeHint().height()
                                                           : px(c.height, unitY);
    control->setGeometry(px(c.x, unitX), px(c.y, unitY), px(c.width, unitX), height);
    if (c.id >= 0) {
      control->setObjectName(QString::number(c.id));
      loaded.controls[c.id] = control;
    }
  }
  loadedDialogs()[handle] = std::move(loaded);
  return handle;
}

int bindControl(int dialog, int control, ControlCallback callback) {
  LoadedDialog* d = findDialog(dialog);
  if (!d || !d->controls.count(control) || callback == nullptr) return 0;
  d->callbacks[control] = callback;
  return 1;
}

int setControlText(int dialog, int control, std::string_view text) {
  LoadedDialog* d = findDialog(dialog);
  if (!d || !d->controls.count(control)) return 0;
  const QString value = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  QWidget* widget = d->controls[control];
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) edit->setText(value);
  else if (auto* label = qobject_cast<QLabel*>(widget)) label->setText(value);
  else if (auto* button = qobject_cast<QPushButton*>(widget)) button->setText(value);
  return 1;
}

int getControlText(int dialog, int control, std::span<char> text) {
  LoadedDialog* d = findDialog(dialog);
  if (!d || !d->controls.count(control)) return 0;
  QString value;
  QWidget* widget = d->controls[control];
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) value = edit->text();
  else if (auto* label = qobject_cast<QLabel*>(widget)) value = label->text();
  const QByteArray bytes = value.toLatin1();
  assignPadded(text, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  return 1;
}

int runDialogModal(int dialog, DialogProcedure procedure) {
  LoadedDialog* d = findDialog(dialog);
  if (!d || !onMessageThread()) return -1;
  d->procedure = procedure;
  if (procedure != nullptr) procedure(dialog, {DialogEvent::initialised, 0, {}});
  const int result = d->dialog->exec();
  // Closing the window or pressing Escape is a Cancel.
  return result == QDialog::Rejected ? 2 : result;
}

int endDialog(int dialog, int result) {
  LoadedDialog* d = findDialog(dialog);
  if (!d) return 0;
  d->dialog->done(result);
  return 1;
}

int releaseDialog(int dialog) { return loadedDialogs().erase(dialog) == 1 ? 1 : 0; }

void showDialogMessage(int dialog, std::string_view text) {
  LoadedDialog* d = findDialog(dialog);
  if (!d) return;
  QMessageBox box(QMessageBox::Warning, d->dialog->windowTitle(),
                  QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), QMessageBox::Ok,
                  d->dialog.get());
  box.exec();
}

}  // namespace kelm::window
