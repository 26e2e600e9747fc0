// One input is a project directory: sections that each start with a line "%%" and a file name
// (geom.dat, mag.dat, pot.dat or klplt.res) and hold that file's bytes; a file without a section
// is missing. The project is loaded and drawn as a load shows it, then the phase plane and the
// markers at the ends of the z range and at typed extremes, then printed, all with the program
// thread's floating-point traps on. A trap, a sanitizer report or a runaway drawing is a finding.
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/own_directory.h"
#include "fuzz/traps_on.h"
#include "source/klplot/project/project_data.h"
#include "source/klplot/project/project_readers.h"
#include "fuzz/klplot/counting_canvas.h"
#include "fuzz/klplot/project_sections.h"
#include "fuzz/klplot/loaded_project_views.h"

namespace {

using namespace kelm::klplot;

constexpr std::int32_t kWidth = 1920, kHeight = 1080, kTextHeight = 28;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kelm::fuzzing::workInOwnDirectory("kelm-fuzz-project");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kelm::fuzzing::writeSections(std::string_view(reinterpret_cast<const char*>(data), size));
  const kelm::fuzzing::TrapsOn traps;
  loadProjectFiles(projectData);
  const ProjectData& d = projectData;
  if (!(d.zAxisMin < d.zAxisMax) || !(d.rAxisMin < d.rAxisMax) || !std::isfinite(d.zAxisMax)) std::abort();
  kelm::klplot::fuzzing::CountingCanvas canvas;
  kelm::klplot::fuzzing::drawLoadedProject(canvas, kWidth, kHeight, kTextHeight, fieldAt);
  kelm::klplot::fuzzing::drawPlaneAcrossTheRange(canvas, kWidth, kHeight, kTextHeight, fieldAt);
  kelm::klplot::fuzzing::CountingPage page;
  kelm::klplot::fuzzing::printLoadedProject(page);
  return 0;
}
