// Any bytes as solve.csv, under floating-point traps: the changes read are finite numbers, at
// most one a line, and a refusal gives its reason on one line.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/traps_on.h"
#include "source/program/gun/iteration_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<double> changes;
  std::string why;
  const kelm::fuzzing::TrapsOn traps;
  if (!kelm::iterationChanges(text, changes, why)) {
    if (why.empty() || why.find('\n') != std::string::npos) std::abort();
    return 0;
  }
  if (changes.size() > static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'))) std::abort();
  for (const double change : changes)
    if (!std::isfinite(change)) std::abort();
  return 0;
}
