#pragma once
// Helpers shared by the pixel operations and the text of the graphics layer. Internal.

#include <QColor>

#include <cstdint>

namespace kelm::window {

// Colours arrive with red in the low byte.
inline QRgb toQRgb(std::int32_t rgb) {
  return qRgb(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}
inline std::int32_t fromQRgb(QRgb pixel) {
  return qRed(pixel) | (qGreen(pixel) << 8) | (qBlue(pixel) << 16);
}

// The status of the calling thread's last graphics operation.
void setGraphicsStatus(int status);

}  // namespace kelm::window
