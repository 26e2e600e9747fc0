#include "source/klplot/views/view_font.h"

#include "records/formatted.h"
#include "source/klplot/views/view_layout.h"

namespace kelm::klplot {

void setViewFont(DisplayState& state) {
  state.fontHeight = fontHeightForWidth(state.width());
  (void)records::writeInternal(state.fontSpec.span(), "('t''Arial''h',I2,'''b')", state.fontHeight);
}

}  // namespace kelm::klplot
