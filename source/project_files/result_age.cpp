#include "source/project_files/result_age.h"

#include <chrono>
#include <filesystem>

namespace kelm::projectfiles {

bool resultsOlderThanMesh(const std::string& directory) {
  namespace fs = std::filesystem;
  // Files copied or checked out together are written moments apart in any order.
  constexpr auto kTogether = std::chrono::seconds(2);
  std::error_code error;
  const fs::file_time_type mesh = fs::last_write_time(fs::path(directory) / "geom.dat", error);
  if (error) return false;
  for (const char* result : {"klplt.res", "pot.dat"}) {
    const fs::file_time_type written = fs::last_write_time(fs::path(directory) / result, error);
    if (!error && written + kTogether < mesh) return true;
  }
  return false;
}

}  // namespace kelm::projectfiles
