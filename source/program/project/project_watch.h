#pragma once
// Loading the project again when another program (a solver, or Solve itself) rewrites its
// files while it is shown.

#include <cstdint>
#include <string>

namespace kelm {

// Program thread, as a load begins: what the project files are now, so that a change the load
// has already read asks for no second load.
void noteProjectFilesLoaded();
// Program thread, once the views are up: watch directory's project files from now on.
void watchProjectFiles(const std::string& directory);

// The State menu's toggle: watching on (checked) or off.
void watchFilesCommand(std::int32_t* state);

}  // namespace kelm
