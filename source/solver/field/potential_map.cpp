#include "source/solver/field/potential_map.h"

namespace kelm::solver {

bool writePotentialMap(const std::string&, const ClassifiedMesh&, std::span<const double>,
                       std::string& error) {
  error = "the potential map is not written yet";
  return false;
}

bool readPotentialMap(const std::string&, PotentialMap&, std::string& error) {
  error = "the potential map is not read yet";
  return false;
}

}  // namespace kelm::solver
