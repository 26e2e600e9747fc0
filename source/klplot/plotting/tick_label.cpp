#include "source/klplot/plotting/tick_label.h"

#include <cmath>
#include <cstdint>

#include "records/formatted.h"

namespace kelm::klplot {

void tickLabel(float v, std::span<char> text, int w) {
  const std::string_view format = tickLabelFormat(v, w);
  if (format.empty()) return;
  if (format == "(I^)") {
    (void)records::writeInternal(text, format, records::RunTimeWidth{w},
                                 static_cast<std::int32_t>(std::trunc(v)));
    return;
  }
  (void)records::writeInternal(text, format, v);
}

}  // namespace kelm::klplot
