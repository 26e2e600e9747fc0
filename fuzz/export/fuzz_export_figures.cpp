// Any input as klplt.res: the figures along z must come out of one walk exactly as the phase
// plane finds them plane by plane, and the table must be written whatever the numbers are,
// with the program thread's floating-point traps on.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz/file_bytes.h"
#include "fuzz/own_directory.h"
#include "fuzz/traps_on.h"
#include "source/export/figure_tables.h"
#include "source/klplot/figures/crossing_sweep.h"
#include "source/klplot/project/project_readers.h"

namespace {

template <class T>
bool same(const T& a, const T& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kelm::fuzzing::workInOwnDirectory("kelm-fuzz-export");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelm;
  fuzzing::writeBytes("klplt.res", {reinterpret_cast<const char*>(data), size});
  const kelm::fuzzing::TrapsOn traps;
  klplot::loadProjectFiles(klplot::projectData);
  const klplot::ProjectData& d = klplot::projectData;

  const std::vector<float> planes = exporting::planesAlong(d.zAxisMin, d.zAxisMax, 37);
  static auto alone = std::make_unique<klplot::Crossings>();
  klplot::sweepCrossings(d, planes, [&](std::size_t j, const klplot::Crossings& swept) {
    klplot::findCrossings(d, planes[j], *alone);
    if (swept.count != alone->count || !same(swept.emittance, alone->emittance) ||
        !same(swept.totalCurrent, alone->totalCurrent) || !same(swept.rMax, alone->rMax)) {
      std::abort();
    }
  });
  const std::vector<exporting::PlaneFigures> figures = exporting::figuresAlong(d, planes);
  if (exporting::figuresCsv(figures, exporting::BeamEnergy(d, 1000.0), {}, true).empty()) std::abort();
  return 0;
}
