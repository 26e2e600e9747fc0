#pragma once
// The program's menu commands. Each runs on the message thread; the long ones only raise
// request flags for the program thread. The Z-coordinate command is with its dialog.

#include <cstdint>

namespace kelm::klplot {
struct ViewRow;
}

namespace kelm {

using Command = void (*)(std::int32_t* state);

// Prints the view's page; a view outside the table gets a command that does nothing.
Command printCommandOf(const klplot::ViewRow& view);
void beamToggleCommand(std::int32_t* state);
void potentialToggleCommand(std::int32_t* state);
void editGeometryCommand(std::int32_t* state);
void editInputCommand(std::int32_t* state);
void buildNetCommand(std::int32_t* state);
void solveCommand(std::int32_t* state);
void batchModeCommand(std::int32_t* state);
void helpContentsCommand(std::int32_t* state);

}  // namespace kelm
