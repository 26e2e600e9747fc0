// One input is a potmap.dat file's bytes. It is checked as it comes, and once more with its
// checksum made right, so that the fuzzer reaches past the hash into the header and the values.
// A map that is taken is then used as kelm-export uses it: the beam's energy from a first
// trajectory starting inside, on the edge of, outside and nowhere on the mesh, and the
// normalized emittances of planes along it. A trap, a sanitizer report, an accepted map that
// disagrees with its header, an energy that is not a number or an allocation beyond the node
// limit is a finding.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "fuzz/traps_on.h"
#include "source/export/figure_tables.h"
#include "source/solver/field/field_operator.h"
#include "source/solver/field/potential_map.h"

namespace {

void fixChecksum(std::string& bytes) {
  const std::size_t at = bytes.size() - 8;
  const std::uint64_t hash = kelm::solver::potentialMapChecksum(std::string_view(bytes).substr(0, at));
  for (std::size_t k = 0; k < 8; ++k) bytes[at + k] = static_cast<char>((hash >> (8 * k)) & 0xff);
}

// The map under kelm-export's energy and normalized emittances.
void useAsExport(const kelm::solver::PotentialMap& map) {
  using namespace kelm;
  const double rEnd = (map.nr - 1) * map.cell_m * 1e3, zEnd = (map.nz - 1) * map.cell_m * 1e3;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::pair<double, double> starts[] = {{0.0, 0.0},       {rEnd / 2, zEnd / 2}, {rEnd, zEnd},
                                              {-rEnd, -1e-320}, {3.4e38, -1.7e308}, {nan, nan}};
  klplot::ProjectData& d = klplot::projectData;
  for (const auto& [r, z] : starts) {
    d.trajCount = 1;
    d.trajNext(1) = 2;
    d.trajR(1, 1) = r;
    d.trajZ(1, 1) = z;
    const exporting::BeamEnergy energy(d, std::nullopt, &map);
    std::vector<exporting::PlaneFigures> planes;
    for (const float at : exporting::planesAlong(-map.cell_m * 1e3, zEnd + map.cell_m * 1e3, 11)) {
      exporting::PlaneFigures f;
      f.z = at;
      f.shaped = true;
      f.emittance.rms = 1.0;
      f.emittance.coreRms = 0.5;
      planes.push_back(f);
      if (!std::isfinite(energy.at(at).electronVolts)) std::abort();
    }
    if (exporting::figuresCsv(planes, energy, {}, true).empty()) std::abort();
  }
}

void check(const std::string& bytes) {
  kelm::solver::PotentialMap map;
  std::string error;
  if (kelm::solver::parsePotentialMap(bytes, map, error)) {
    if (map.nr < 2 || map.nz < 2 ||
        map.potential_V.size() != static_cast<std::size_t>(map.nr) * static_cast<std::size_t>(map.nz) ||
        map.potential_V.size() > kelm::solver::kMaxFieldNodes)
      std::abort();
    useAsExport(map);
  } else if (error.empty()) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  const kelm::fuzzing::TrapsOn traps;
  check(bytes);
  if (bytes.size() >= 8) {
    fixChecksum(bytes);
    check(bytes);
  }
  return 0;
}
