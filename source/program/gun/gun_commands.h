#pragma once
// The Build net and Solve commands (klmaindemo) on the project in the current directory. Each
// ends at its next step once stopRequested is set, and then writes nothing.

#include <string>

namespace kelm {

enum class CommandEnd { kDone, kNotConverged, kFailed, kStopped };

// How a command ended, and what the status bar says of it until the next command.
struct CommandResult {
  CommandEnd end = CommandEnd::kDone;
  std::string status;
};

// Solve: the beam of the gun geom.cod and klinput.dat describe, and its files.
CommandResult runSolve();
// Build net: the mesh of the gun geom.cod describes, and its outline in geom.dat.
CommandResult runBuildNet();
// Both, as the batch runs them: the outline is committed with the results, or not at all.
CommandResult runBuildNetAndSolve();

}  // namespace kelm
