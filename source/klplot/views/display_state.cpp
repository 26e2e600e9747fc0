#include "source/klplot/views/display_state.h"

namespace kelm::klplot {

DisplayState displayState;

}  // namespace kelm::klplot
