// Any bytes as a sweep file, as a grid and as a template using the sweep's names: every point
// read has a value per name, within the limit, and every error is one line. Under floating-point
// traps, which the expressions' evaluation lifts only around the parser.
#include <cstdlib>
#include <map>
#include <string>

#include "fuzz/traps_on.h"
#include "source/scan/substitution.h"
#include "source/scan/sweep.h"

namespace {

void check(bool ok, const kelm::scan::Sweep& sweep, const std::string& error) {
  if (!ok) {
    if (error.empty() || error.find('\n') != std::string::npos) std::abort();
    return;
  }
  if (sweep.names.empty() || sweep.points.empty() || sweep.points.size() > kelm::scan::kMaxPoints) std::abort();
  for (const auto& point : sweep.points)
    if (point.size() != sweep.names.size()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelm::scan;
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string error;
  const kelm::fuzzing::TrapsOn traps;
  Sweep fromFile, fromGrid;
  check(readSweepCsv(text, "sweep.csv", fromFile, error), fromFile, error);
  // A grid is one line; a long one would only expand into the limit's many points.
  if (size < 200) check(expandGrid(text, fromGrid, error), fromGrid, error);
  std::map<std::string, std::string> used;
  const bool parsed = parametersUsed(text, "geom.cod", used, error);
  std::map<std::string, std::string> values;
  for (const auto& [name, where] : used) values[name] = "1";
  std::string out;
  // An expression that reads may still come out as no finite number, and is refused then.
  const bool made = substituted(text, "geom.cod", values, out, error);
  if ((made && !parsed) || (!made && (error.empty() || error.find('\n') != std::string::npos))) std::abort();
  if (made && out.find("${") != std::string::npos && text.find("${") == std::string::npos) std::abort();
  return 0;
}
