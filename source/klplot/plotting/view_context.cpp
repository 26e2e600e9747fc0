#include "source/klplot/plotting/view_context.h"

#include "source/klplot/plotting/plot_mapping.h"

namespace kelm::klplot {

void setViewDevice(const ViewContext& v) { v.mapping.setDeviceSize(v.W - 16, v.H / 2 - 24); }

}  // namespace kelm::klplot
