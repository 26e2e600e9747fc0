#pragma once
// What a sweep would do to the points an earlier sweep left in the same OUTDIR: a point given
// other values is made again, and a point the new sweep has no place for is left behind with
// results that no manifest names any more.

#include <string>
#include <vector>

#include "source/scan/sweep.h"

namespace kelm::scan {

struct SweepChange {
  std::vector<std::string> changed;   // points the new sweep gives other names or values
  std::vector<std::string> orphaned;  // points outside the new sweep
  bool none() const { return changed.empty() && orphaned.empty(); }
};

SweepChange changeOf(const Sweep& earlier, const Sweep& sweep);

// One line: the points and what --prune and --force would do.
std::string refusalOf(const std::string& outdir, const SweepChange& change);

// Removes the orphaned points' directories; false with why when one cannot be removed.
bool prunePoints(const std::string& outdir, const std::vector<std::string>& orphaned, std::string& error);

}  // namespace kelm::scan
