#pragma once
// Turns a gun description into the classified mesh the field solver takes: which node lies
// inside or on which electrode, and how far each free node's arms reach before they meet an
// electrode surface.

#include "source/solver/geometry/gun_description.h"
#include "source/solver/mesh.h"

namespace kelm::solver {

// A node closer to a surface than this (in cells) lies on it and is held at its potential.
inline constexpr double kOnSurfaceCells = 1e-6;

// False, with a diagnostic at the later electrode's statement, when two electrodes at
// different potentials share a node.
bool buildMesh(const GunDescription& gun, ClassifiedMesh& mesh, Diagnostic& error);

}  // namespace kelm::solver
