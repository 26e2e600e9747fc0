#pragma once
// The outline as geom.dat holds it: one polyline through every electrode, in mesh cells.
// Electrodes carry their number (from 1) as code; the joins between them run along the open
// edges of the mesh with code 0, so the Beam view draws them in the boundary colour.

#include <string>
#include <vector>

#include "source/project_files/capacities.h"
#include "source/solver/geometry/gun_description.h"

namespace kelm::solver {

// How far an arc's chords may stray from it, in cells; what the five decimals of the
// offsets add stays far below the rest of the 0.05 cells the outline may differ.
inline constexpr double kArcChordToleranceCells = 0.02;

struct OutlinePoint {
  int code = 0;
  double r = 0;  // cells
  double z = 0;  // cells
};

// False, saying why in one line, when the outline needs more points than geom.dat holds.
bool layOutOutline(const GunDescription& gun, std::vector<OutlinePoint>& points, std::string& error);

}  // namespace kelm::solver
