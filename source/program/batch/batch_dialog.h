#pragma once
// The "&Batch mode" command and its "Select KELM projects" dialog.

#include <cstdint>

namespace kelm {

// Collects the project directories for the batch run and asks the program thread to run them.
void batchModeCommand(std::int32_t* state);

}  // namespace kelm
