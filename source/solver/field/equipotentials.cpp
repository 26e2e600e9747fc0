#include "source/solver/field/equipotentials.h"

#include <algorithm>

namespace kelm::solver {

std::vector<double> defaultEquipotentialLevels(const ClassifiedMesh& mesh) {
  if (mesh.electrodePotential_V.empty()) return {};
  const auto [lo, hi] = std::minmax_element(mesh.electrodePotential_V.begin(),
                                            mesh.electrodePotential_V.end());
  std::vector<double> levels;
  if (*hi <= *lo) return levels;
  for (int k = 1; k <= 10; ++k) levels.push_back(*lo + (*hi - *lo) * k / 11.0);
  return levels;
}

bool writeEquipotentials(const std::string&, const ClassifiedMesh&, std::span<const double>,
                         std::span<const double>, std::string& error) {
  error = "equipotentials are not traced yet";
  return false;
}

}  // namespace kelm::solver
