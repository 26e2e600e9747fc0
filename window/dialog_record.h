#pragma once
// A loaded dialog as the dialog library keeps it. Internal to window/.

#include <QDialog>

#include <map>
#include <memory>

#include "window/dialogs.h"

namespace kelm::window {

struct LoadedDialog {
  std::unique_ptr<QDialog> dialog;
  std::map<int, QWidget*> controls;
  std::map<int, ControlCallback> callbacks;
  DialogProcedure procedure = nullptr;
};

LoadedDialog* findDialog(int handle);
// The control of that identifier and widget type, or null.
template <class Widget>
Widget* findControl(int dialog, int control) {
  LoadedDialog* d = findDialog(dialog);
  if (d == nullptr) return nullptr;
  const auto it = d->controls.find(control);
  return it == d->controls.end() ? nullptr : qobject_cast<Widget*>(it->second);
}

// Widgets of the list, drop-down and tree kinds, wired to report to the dialog procedure.
QWidget* makeListControl(const ControlTemplate& c, QDialog& dialog, int handle);

}  // namespace kelm::window
