#pragma once
// How KELM's modal windows look: a title and a close button, no minimise or maximise (a window
// manager would otherwise offer them), and one caption for the boxes whose caption is KELM's
// own choice. Message thread. Internal to window/.

#include <QMessageBox>

namespace kelm::window {

inline constexpr char kBoxCaption[] = "KELM";

void useModalFrame(QWidget& dialog);

// A box in front of parent with the frame of a modal window; returns the button pressed.
QMessageBox::StandardButton showBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                    const QString& text,
                                    QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                                    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

}  // namespace kelm::window
