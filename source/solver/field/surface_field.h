#pragma once
// |E| on the electrodes' outlines from a solved potential. Where an arm of a free node meets a
// surface, the potential along the arm's line is fitted by the parabola through the surface,
// the node and the node behind it (or the other surface the arm behind it meets), whose slope
// at the surface is second order in the cell. A conductor's field is normal to it, so that
// slope over the cosine between arm and normal is |E|; arms within 60° of the tangent are left
// out, since the line across the surface then divides by a small cosine.

#include <span>
#include <string>
#include <vector>

#include "source/solver/geometry/gun_description.h"
#include "source/solver/mesh.h"

namespace kelm::solver {

struct SurfaceSample {
  int electrode = 0;
  double arc_m = 0;  // along the electrode's outline from its first point
  double z_m = 0, r_m = 0;
  double field_V_per_m = 0;
};

struct SurfaceMaximum {
  bool sampled = false;  // false: no arm meets the electrode (it lies outside the free region)
  double field_V_per_m = 0;
  double z_m = 0, r_m = 0;
};

struct SurfaceField {
  std::vector<SurfaceSample> samples;     // by electrode, then along the outline
  std::vector<SurfaceMaximum> electrodes;  // by electrode number
  int strongest = -1;                      // the electrode of the overall maximum, -1 when none
};

// The potential is per node as the field solver gives it, for the gun the mesh was built from.
SurfaceField surfaceField(const GunDescription& gun, const ClassifiedMesh& mesh, std::span<const double> potential_V);

}  // namespace kelm::solver
