#pragma once
// geom.dat: the header with the node counts and the mesh scale, then the outline points as
// a node and an offset in cells, then the end line.

#include <string>
#include <vector>

#include "source/solver/geometry/gun_description.h"
#include "source/solver/geometry/outline_layout.h"

namespace kelm::solver {

std::string geometryFileText(const MeshExtent& mesh, const std::vector<OutlinePoint>& points);

}  // namespace kelm::solver
