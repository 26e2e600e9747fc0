#pragma once
// The view windows of a loaded project: opened and drawn at each load, kept up to date
// while the display driver idles, closed when it leaves. Program thread.

#include "source/klplot/pages/view_table.h"

namespace kelm::klplot {

// What the views read besides the store, as the screen shows it now.
ViewInputs currentViewInputs();

// keepView: the plane stays where it was, if the new extents still hold it.
void openViewWindows(bool keepView = false);
void serveViewRequests();
// The views stay on screen as they are, deaf to the mouse and keys, while a command runs.
void freezeViewWindows();
void closeViewWindows();

}  // namespace kelm::klplot
