#pragma once
// The files of a project directory that KELM and its programs read or a solve writes: no
// picture, table or other output may ever be written over one of them.

#include <string_view>

#include "source/project_files/solve_record.h"

namespace kelm::projectfiles {

inline constexpr const char* kProjectFileNames[] = {"geom.dat",    "klplt.res",  "mag.dat",   "pot.dat",
                                                    "geom.cod",    "klinput.dat", "potmap.dat", kRecordFile,
                                                    kIterationFile, "cathode.csv", "beam.h5"};

inline bool isProjectFileName(std::string_view name) {
  for (std::string_view file : kProjectFileNames)
    if (name == file) return true;
  return false;
}

}  // namespace kelm::projectfiles
