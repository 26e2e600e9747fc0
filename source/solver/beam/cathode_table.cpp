#include "source/solver/beam/cathode_table.h"

#include <cstdio>

namespace kelm::solver {

std::string cathodeTable(const std::vector<BeamTrajectory>& beam) {
  std::string table = std::string(kCathodeHeader) + "\n";
  for (const BeamTrajectory& t : beam) {
    char row[160];
    std::snprintf(row, sizeof row, "%.9g,%.9g,%.9g,%.9g,%.9g\n", t.site.r_m * 1e3, t.site.z_m * 1e3, t.current_A,
                  t.density_A_per_m2 * 1e-4, t.limit_A_per_m2 * 1e-4);
    table += row;
  }
  return table;
}

}  // namespace kelm::solver
