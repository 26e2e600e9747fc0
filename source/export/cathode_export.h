#pragma once
// kelm-export's --cathode-csv: the emission across the cathode as the project's solve wrote it
// in cathode.csv, taken only when the solve's record vouches for the file.

#include <string>

namespace kelm::exporting {

// False, with a one-line reason, when the project has no such result of a complete solve.
bool cathodeTableOf(const std::string& directory, bool header, std::string& table, std::string& error);

}  // namespace kelm::exporting
