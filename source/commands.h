#pragma once
// The program's menu commands. Each runs on the message thread; the long ones only raise
// request flags for the program thread. The Z-coordinate command is with its dialog.

#include <cstdint>

namespace kelm {

void printGeometryCommand(std::int32_t* state);
void printFieldCommand(std::int32_t* state);
void printPhasePlaneCommand(std::int32_t* state);
void printCathodeCommand(std::int32_t* state);
void beamToggleCommand(std::int32_t* state);
void potentialToggleCommand(std::int32_t* state);
void editGeometryCommand(std::int32_t* state);
void editInputCommand(std::int32_t* state);
void buildNetCommand(std::int32_t* state);
void solveCommand(std::int32_t* state);
void batchModeCommand(std::int32_t* state);
void helpContentsCommand(std::int32_t* state);

}  // namespace kelm
