#pragma once
// A solve's result files made visible together: each written whole under a temporary name,
// then the record marked "writing" (so that no earlier record matches a mix), the renames, the
// removal of what the last solve wrote and this one does not, and the record written last.
// A reader that trusts the files only when the record matches them never takes a mix.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "source/project_files/solve_record.h"

namespace kelm::projectfiles {

struct ResultFile {
  std::string name;  // in the project directory
  std::string bytes;
};

// Tests stop a commit here, before the k-th rename (from 0), to see what a kill leaves.
using BeforeRename = std::function<void(std::size_t k)>;

// record's results are filled from files. Of obsolete, what the last record lists as its results
// goes: a klplt.res beside a vacuum field, a mag.dat of solenoids no longer there. False, with why, when nothing could be committed
// (the project then holds its old files and record) or the renames stopped part way (the
// record then says "writing" and readers see the results as incomplete).
bool commitResults(const std::string& directory, const std::vector<ResultFile>& files,
                   const std::vector<std::string>& obsolete, SolveRecord record, std::string& error, const BeforeRename& beforeRename = {});

// The record of a solve that wrote nothing: the results of the record before it still stand.
// A record left "writing" is kept, since its results are not known to be whole.
bool recordFailure(const std::string& directory, SolveRecord record, std::string& error);

}  // namespace kelm::projectfiles
