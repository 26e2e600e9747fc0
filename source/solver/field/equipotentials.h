#pragma once
// Equipotential lines traced over the mesh, written as pot.dat in node units.

#include <span>
#include <string>
#include <vector>

#include "source/solver/mesh.h"

namespace kelm::solver {

// Ten levels evenly between the lowest and highest electrode potential (inner levels); held
// edges count as electrodes. None when all potentials are equal.
std::vector<double> defaultEquipotentialLevels(const ClassifiedMesh& mesh);

// Traces the levels by marching squares into pot.dat's text, in the reader's format and node
// units, within the store's lines and points; writeEquipotentials writes it whole.
bool equipotentialText(const ClassifiedMesh& mesh, std::span<const double> potential_V,
                       std::span<const double> levels_V, std::string& text, std::string& error);
bool writeEquipotentials(const std::string& path, const ClassifiedMesh& mesh,
                         std::span<const double> potential_V, std::span<const double> levels_V,
                         std::string& error);

}  // namespace kelm::solver
