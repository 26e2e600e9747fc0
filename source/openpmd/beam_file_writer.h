#pragma once
// beam.h5: the solve's fields and electrons as an openPMD 1.1.0 file over HDF5 (group-based
// iterations). Iteration 0 holds the meshes on the solver's grid, in thetaMode with the one
// mode m = 0, and every path at the solver's own steps; iteration k (from 1) the crossings of
// the k-th screen. Every value in SI through unitSI and unitDimension, in double precision.

#include <span>
#include <string>
#include <vector>

#include "source/openpmd/particle_frame.h"

namespace kelm::openpmd {

// Node (ir, iz) at r = ir·h, z = iz·h, stored at iz·nr + ir as the solver holds its mesh.
struct GridFields {
  int nr = 0, nz = 0;
  double cell_m = 0;
  std::vector<double> phi_V, er_V_per_m, ez_V_per_m, bz_T;
};

struct BeamContent {
  GridFields grid;
  std::vector<Ray> rays;
  std::vector<double> screens_m;
};

// How the weighting relates to the current, as the file's comment states it.
extern const char* const kWeightingNote;

// The file's bytes, made in memory; false, with why, when the library refuses.
bool beamFileBytes(const BeamContent& content, std::string& bytes, std::string& error);

}  // namespace kelm::openpmd
