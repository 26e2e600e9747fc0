#pragma once
// What a solve puts in beam.h5 (source/openpmd): the fields at the mesh's nodes as the tracer
// saw them, every traced ray, and the screens' planes.

#include <string>
#include <vector>

#include "source/solver/beam/beam_iteration.h"

namespace kelm::solver {

// beam is null for a vacuum solve: the file then holds the fields alone.
bool beamFileBytes(const ClassifiedMesh& mesh, const std::vector<double>& potential_V,
                   const AxialMagneticField& magnetic, const BeamResult* beam, const std::vector<double>& screens_mm,
                   std::string& bytes, std::string& error);

}  // namespace kelm::solver
