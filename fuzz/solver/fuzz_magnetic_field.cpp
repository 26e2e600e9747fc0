// One input is a mag.dat that klinput.dat names as the field to use, for a gun 100 mm long. An
// accepted table goes on to the splined field, its off-axis terms and back out as mag.dat text,
// under floating-point traps. A trap, a sanitizer report, or a refusal without a reason is a
// finding.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/traps_on.h"
#include "source/solver/beam/magnetic_field_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const kelm::fuzzing::TrapsOn traps;
  kelm::solver::AxialMagneticField field;
  std::string error;
  if (kelm::solver::readMagneticField(text, 0, 0.1, 1e-4, field, error)) {
    (void)field.at(0.05);
    (void)kelm::solver::magneticFieldText(field, 0, 0.1);
  } else if (error.empty()) {
    std::abort();
  }
  return 0;
}
