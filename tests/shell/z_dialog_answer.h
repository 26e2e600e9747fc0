#pragma once
// Answers the "Z coordinate ..." dialog as a user would: notes what its edits show, types the
// plane and the divisions, and leaves it by a button or by the keys a test chooses.

#include <QDialog>
#include <QLineEdit>

#include <functional>

#include "source/program/display/z_coordinate.h"
#include "tests/window/gui_wait.h"

namespace kelm::testing {

struct ZDialogShown {
  QString z, divisions;
};

inline ZDialogShown answerZDialog(const QString& z, const QString& divisions,
                                  const std::function<void(QWidget& dialog)>& leave) {
  ZDialogShown shown;
  std::int32_t state = 0;
  actOnModal<QDialog>(
      [&](QDialog& dialog) {
        const auto edits = dialog.findChildren<QLineEdit*>();
        shown = {edits.at(0)->text(), edits.at(1)->text()};
        edits.at(0)->setText(z);
        edits.at(1)->setText(divisions);
        leave(dialog);
      },
      [&] { zCoordinateCommand(&state); });
  return shown;
}

inline ZDialogShown answerZDialog(const QString& z, const QString& divisions, const QString& button = "OK") {
  return answerZDialog(z, divisions, [&](QWidget& dialog) { buttonNamed(dialog, button)->click(); });
}

}  // namespace kelm::testing
