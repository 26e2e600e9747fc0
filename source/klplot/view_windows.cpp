// Placeholder until the views land: the driver can open, serve and close nothing.
#include "source/klplot/view_windows.h"

namespace kelm::klplot {

void openViewWindows() {}
void serveViewRequests() {}
void closeViewWindows() {}
void drawZMarker(std::int32_t, int) {}
void eraseZMarker(int) {}

}  // namespace kelm::klplot
