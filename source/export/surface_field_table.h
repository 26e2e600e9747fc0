#pragma once
// kelm-export's --surface-field-csv: |E| along every electrode's outline, computed afresh from
// the project's geom.cod and the potential map potmap.dat its solve wrote.

#include <string>

namespace kelm::exporting {

// One row a surface point: electrode, arc length, z, r, |E|. False, with a one-line reason,
// when geom.cod or potmap.dat is missing, damaged or does not fit the other.
bool surfaceFieldTable(const std::string& directory, bool header, std::string& table, std::string& error);

}  // namespace kelm::exporting
