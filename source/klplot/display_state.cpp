#include "source/klplot/display_state.h"

namespace kelm::klplot {

DisplayState displayState;

}  // namespace kelm::klplot
