#pragma once
// The print commands of the File menu, one per view.

#include "source/program/bar_layout.h"

namespace kelm::klplot {
struct ViewRow;
}

namespace kelm {

// Prints the view's page; a view outside the table gets a command that does nothing.
Command printCommandOf(const klplot::ViewRow& view);

}  // namespace kelm
