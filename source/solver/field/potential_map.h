#pragma once
// potmap.dat: KELM's own store of the potential on the mesh, for the beam solver and
// kelm-export. The layout is described in potential_map.cpp.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "source/solver/mesh.h"

namespace kelm::solver {

struct PotentialMap {
  int nr = 0;
  int nz = 0;
  double cell_m = 0;
  std::vector<double> potential_V;  // node (ir, iz) at iz * nr + ir
};

// The file's bytes; false, with why, for a potential that does not fit the mesh or is not finite.
bool potentialMapBytes(const ClassifiedMesh& mesh, std::span<const double> potential_V, std::string& bytes,
                       std::string& error);
bool writePotentialMap(const std::string& path, const ClassifiedMesh& mesh,
                       std::span<const double> potential_V, std::string& error);
// False, with "File POTMAP.DAT not found" or "File POTMAP.DAT damaged: why", when the file is
// missing or not exactly what the writer makes; map is then unchanged.
bool readPotentialMap(const std::string& path, PotentialMap& map, std::string& error);
// The same check on the file's bytes, for callers that hold them already.
bool parsePotentialMap(std::string_view bytes, PotentialMap& map, std::string& error);
// The hash the file ends with, of every byte before it (little-endian).
std::uint64_t potentialMapChecksum(std::string_view bytes);

}  // namespace kelm::solver
