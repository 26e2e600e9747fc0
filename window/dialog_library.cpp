// Modal dialogs built from the program's templates. They live on the message thread: the
// program shows them from menu callbacks, which run there.
#include <QApplication>
#include <QStyle>
#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QResizeEvent>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <vector>

#include "runtime/text.h"
#include "window/dialog_record.h"
#include "window/frame_window.h"
#include "window/layer.h"
#include "window/modal_frame.h"

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

// A dialog whose growing controls follow its size; it never gets smaller than its template.
class TemplateDialog : public QDialog {
 public:
  explicit TemplateDialog(QWidget* owner) : QDialog(owner) {}
  void place(QWidget* control, QRect base, ControlGrowth growth) {
    control->setGeometry(base);
    placed_.push_back({control, base, growth});
  }
  void fix(QSize base, bool growing) {
    base_ = base;
    if (growing) setMinimumSize(base);
    else setFixedSize(base);
    resize(base);
  }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    const double dx = std::max(0, width() - base_.width()), dy = std::max(0, height() - base_.height());
    for (const Placed& p : placed_) {
      p.control->setGeometry(p.base.x() + static_cast<int>(dx * p.growth.x),
                             p.base.y() + static_cast<int>(dy * p.growth.y),
                             p.base.width() + static_cast<int>(dx * p.growth.width),
                             p.base.height() + static_cast<int>(dy * p.growth.height));
    }
    QDialog::resizeEvent(event);
  }

 private:
  struct Placed {
    QWidget* control;
    QRect base;
    ControlGrowth growth;
  };
  std::vector<Placed> placed_;
  QSize base_;
};

bool grows(const ControlGrowth& g) { return g.x != 0 || g.width != 0 || g.y != 0 || g.height != 0; }

// Pixels per horizontal dialog unit: a quarter of the average character, or more where a
// label's or button's text would not fit the width its template gives it.
double horizontalUnit(const DialogTemplate& t, const QDialog& dialog) {
  const QFontMetricsF metrics(dialog.font());
  double unit = metrics.averageCharWidth() / 4.0;
  const int buttonMargin = 2 * dialog.style()->pixelMetric(QStyle::PM_ButtonMargin) + 4;
  for (const ControlTemplate& c : t.controls) {
    const bool label = c.kind == ControlKind::staticText || c.kind == ControlKind::rightAlignedText;
    const bool button = c.kind == ControlKind::defaultButton || c.kind == ControlKind::button;
    if ((!label && !button) || c.width <= 0 || c.text == nullptr) continue;
    const double needed = std::ceil(metrics.horizontalAdvance(QString::fromLatin1(c.text))) + (button ? buttonMargin : 1);
    unit = std::max(unit, needed / c.width);
  }
  return unit;
}

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
  auto* dialog = new TemplateDialog(layer().frame);
  loaded.dialog.reset(dialog);
  useModalFrame(*dialog);
  dialog->setWindowTitle(QString::fromLatin1(t.caption));
  const double unitX = horizontalUnit(t, *dialog), unitY = QFontMetrics(dialog->font()).height() / 8.0;
  auto px = [](double units, double scale) { return static_cast<int>(units * scale); };
  const int handle = nextHandle++;
  bool growing = false;
  for (const ControlTemplate& c : t.controls) {
    QWidget* control = makeControl(c, *dialog, handle);
    // A drop-down's template height includes its open list.
    const int height = c.kind == ControlKind::dropDownList ? control->sizeHint().height()
                                                           : px(c.height, unitY);
    dialog->place(control, QRect(px(c.x, unitX), px(c.y, unitY), px(c.width, unitX), height), c.growth);
    growing = growing || grows(c.growth);
    if (c.id >= 0) {
      control->setObjectName(QString::number(c.id));
      loaded.controls[c.id] = control;
    }
  }
  dialog->fix(QSize(px(t.width, unitX), px(t.height, unitY)), growing);
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
  showBox(d->dialog.get(), QMessageBox::Warning, d->dialog->windowTitle(),
          QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

}  // namespace kelm::window
