#pragma once
// Lines of constant potential over the mesh by marching squares, aware of electrode surfaces:
// the potential runs linearly from a free node to the surface crossing on its arm and is the
// electrode's inside it, so no line is drawn through electrode material.

#include <span>
#include <vector>

#include "source/solver/mesh.h"

namespace kelm::solver {

struct ContourPoint {
  double r = 0;  // node units
  double z = 0;
};

// One chained line; a closed one repeats its first point at the end.
using ContourLine = std::vector<ContourPoint>;

// The lines where the potential crosses level_V, in a fixed order for a given input.
// potential_V holds one value per node.
std::vector<ContourLine> traceContours(const ClassifiedMesh& mesh, std::span<const double> potential_V,
                                       double level_V);

}  // namespace kelm::solver
