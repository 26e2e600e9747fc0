#include "window/copy_key.h"

#include <QKeyEvent>
#include <QPlainTextEdit>

namespace kelm::window {
namespace {

class CopyKey : public QObject {
 public:
  explicit CopyKey(QPlainTextEdit& text) : QObject(&text), text_(text) {}

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    const bool override = event->type() == QEvent::ShortcutOverride;
    if (!override && event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (!key->matches(QKeySequence::Copy) || !text_.textCursor().hasSelection()) return false;
    // Accepting the override keeps the menu's shortcut from firing; the key press follows.
    key->accept();
    if (!override) text_.copy();
    return true;
  }

 private:
  QPlainTextEdit& text_;
};

}  // namespace

void copySelectionOnCopyKey(QPlainTextEdit& text) { text.installEventFilter(new CopyKey(text)); }

}  // namespace kelm::window
