#pragma once
// The program's short menu commands. Each runs on the message thread; the long ones only raise
// request flags for the program thread. The print, Z-coordinate, zoom, watch and batch commands
// are with what they work on.

#include <cstdint>

namespace kelm {

void loadProjectCommand(std::int32_t* state);
void beamToggleCommand(std::int32_t* state);
void potentialToggleCommand(std::int32_t* state);
void editGeometryCommand(std::int32_t* state);
void editInputCommand(std::int32_t* state);
void buildNetCommand(std::int32_t* state);
void solveCommand(std::int32_t* state);
// Run > Stop: the running Build net, Solve or batch ends at its next step.
void stopCommand(std::int32_t* state);
// Run > Convergence plot: the change of each iteration of the last solve, from its solve.csv.
void convergencePlotCommand(std::int32_t* state);
void helpContentsCommand(std::int32_t* state);

}  // namespace kelm
