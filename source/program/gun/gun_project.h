#pragma once
// The gun of the project in the current directory, from geom.cod to the classified mesh, for
// the Build net and Solve commands. Each step reports on the Output window; a step that fails
// says why in one line, and the command then writes nothing.

#include "source/solver/geometry/gun_description.h"
#include "source/solver/mesh.h"

#include <string>

namespace kelm {

struct GunProject {
  solver::GunDescription gun;
  solver::ClassifiedMesh mesh;
};

// Reads geom.cod and builds the mesh. `nothingDone` ends the failure line ("nothing built"),
// which failure receives too.
bool loadGunProject(GunProject& project, const char* nothingDone, std::string* failure = nullptr);

// One line on the Output window, however long: a message that names a file position must
// stay on one line.
void report(const std::string& line);

}  // namespace kelm
