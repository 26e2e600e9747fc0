#pragma once
// Answers the "Z coordinate ..." dialog as a user would, from a timer once it is up.

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "source/z_coordinate.h"

namespace kelm::testing {

struct ShownInDialog {
  QString z, divisions;
};

// Once the dialog is up: notes what its edits show, types the answers and presses button.
inline ShownInDialog answerDialog(const QString& z, const QString& divisions, const QString& button) {
  ShownInDialog shown;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog == nullptr) return;
    poll.stop();
    const auto edits = dialog->findChildren<QLineEdit*>();
    shown = {edits.at(0)->text(), edits.at(1)->text()};
    edits.at(0)->setText(z);
    edits.at(1)->setText(divisions);
    for (QPushButton* b : dialog->findChildren<QPushButton*>()) {
      if (b->text() == button) b->click();
    }
  });
  poll.start(5);
  std::int32_t state = 0;
  zCoordinateCommand(&state);
  return shown;
}

}  // namespace kelm::testing
