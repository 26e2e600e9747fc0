#pragma once
// The vertical z-marker line: the pixels under it are saved before it is drawn and written
// back when it moves, so the view beneath is left exactly as it was.

#include <cstdint>
#include <vector>

#include "source/klplot/plotting/canvas.h"

namespace kelm::klplot {

struct MarkerSave {
  std::vector<std::int32_t> colours;  // sized from the window height, not a fixed count
  std::int16_t column = 0;
  bool saved = false;
};

void drawMarkerLine(Canvas& c, MarkerSave& save, std::int32_t x);
void eraseMarkerLine(Canvas& c, MarkerSave& save);

}  // namespace kelm::klplot
